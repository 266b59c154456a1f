// The common file dialog as the program's picture commands use it.
#pragma once

#include <windows.h>

#include <string>

namespace lum {

// The chosen file's full path, or empty text when the user cancels. `filter` holds
// description and pattern pairs, each part ended by a NUL.
std::u16string ShowOpenDialog(HWND owner, const std::u16string& filter, const std::u16string& initialDirectory);

}  // namespace lum
