// LUM.ini through the platform's private-profile functions, by its wide path. The file is ANSI
// (the system's code page) until a value needs more: then it is kept as UTF-16 with a
// byte-order mark, which the profile functions read and write as such.
#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"

namespace lum {

class ProfileFile {
 public:
  explicit ProfileFile(std::u16string path) : path_(std::move(path)) {}
  const std::u16string& path() const { return path_; }

  // The single reader: a buffer of `size` characters, so a value is cut at size - 1 of them;
  // a missing file, section or key reads as empty text.
  std::u16string GetIniString(std::u16string_view section, std::u16string_view key, int size = kIniBufferSize) const;
  // Replaces or adds the key (and the section and file); false when it could not. A text the
  // code page cannot hold first turns the file to UTF-16 (MakeUnicode).
  bool Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const;
  // The file is UTF-16 with a byte-order mark.
  bool IsUnicode() const;
  // Turns an ANSI (or UTF-8 with a mark) file, or a missing one, into UTF-16 with its text
  // kept; false, and the file untouched, when that fails.
  bool MakeUnicode() const;
  IniReader Reader() const;
  IniWriter Writer() const;

 private:
  std::u16string path_;
};

// Writes `text` as the whole of the file at `path`, UTF-16 with a byte-order mark; through a
// file beside it, so that a failure leaves the old one whole.
bool WriteUnicodeFile(const std::u16string& path, std::u16string_view text);

}  // namespace lum
