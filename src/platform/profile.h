// LUM.ini through the platform's private-profile functions.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"

namespace lum {

class ProfileFile {
 public:
  explicit ProfileFile(std::u16string path) : path_(std::move(path)) {}
  const std::u16string& path() const { return path_; }

  // The single reader: a buffer of `size` bytes, so a value is cut at size - 1 characters;
  // a missing file, section or key reads as empty text.
  std::u16string GetIniString(std::u16string_view section, std::u16string_view key, int size = kIniBufferSize) const;
  // Replaces or adds the key (and the section and file). A failed write is not reported.
  bool Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const;
  IniReader Reader() const;
  IniWriter Writer() const;

 private:
  std::u16string path_;
};

}  // namespace lum
