// Text crossing the program's edges: the ANSI code page for files and the profile API,
// UTF-16 inside (the core's u16string and the wide API share one representation on Windows).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lum {

std::string ToAnsi(std::u16string_view text);
std::u16string FromAnsi(std::string_view text);
// Whether the system's code page can write the text with nothing lost or put in its place.
bool FitsAnsi(std::u16string_view text);

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

}  // namespace lum
