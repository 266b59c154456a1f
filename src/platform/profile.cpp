#include "platform/profile.h"

#include <windows.h>

#include <vector>

#include "platform/text.h"

namespace lum {

std::u16string ProfileFile::GetIniString(std::u16string_view section, std::u16string_view key, int size) const {
  if (size <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(size), ' ');
  std::string ansiSection = ToAnsi(section), ansiKey = ToAnsi(key), ansiPath = ToAnsi(path_);
  GetPrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), "", buffer.data(), static_cast<DWORD>(size),
                           ansiPath.c_str());
  size_t end = 0;
  while (end < buffer.size() && buffer[end] != '\0') ++end;
  return FromAnsi(std::string_view(buffer.data(), end));
}

bool ProfileFile::Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const {
  return WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str(),
                                    ToAnsi(path_).c_str()) != FALSE;
}

IniReader ProfileFile::Reader() const {
  return [this](std::u16string_view section, std::u16string_view key) { return GetIniString(section, key); };
}

IniWriter ProfileFile::Writer() const {
  return [this](std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    Write(section, key, value);
  };
}

}  // namespace lum
