// Small shell and window operations shared by the forms.
#pragma once

#include <windows.h>

#include <string>

namespace lum {

// The folder that holds the running executable, without a trailing backslash.
std::u16string ProgramDirectory();

// Opens a document with its associated program; true when the shell started it.
bool OpenDocument(HWND owner, const std::u16string& file);

bool FileExists(const std::u16string& path);

}  // namespace lum
