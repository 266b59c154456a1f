#include "platform/profile.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/scoped_win.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// LUM.ini is a few hundred bytes; anything past this is not read whole.
constexpr size_t kFileLimit = 16 * 1024 * 1024;

std::u16string FromUtf8(std::string_view text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string result(static_cast<size_t>(std::max(length, 0)), u'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(result.data()), length);
  return result;
}

}  // namespace

std::u16string ProfileFile::GetIniString(std::u16string_view section, std::u16string_view key, int size) const {
  if (size <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(size), L'\0');
  const std::u16string sectionText(section), keyText(key);
  const DWORD length = GetPrivateProfileStringW(Wide(sectionText), Wide(keyText), L"", buffer.data(),
                                                static_cast<DWORD>(size), Wide(path_));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), std::min<size_t>(length, buffer.size()));
}

bool ProfileFile::Write(std::u16string_view section, std::u16string_view key, std::u16string_view value) const {
  // The profile functions keep an ANSI file in the system's code page, which would turn what it
  // cannot hold into "?": such a value first moves the file to UTF-16, which they keep as it is.
  if ((!FitsAnsi(section) || !FitsAnsi(key) || !FitsAnsi(value)) && !MakeUnicode()) return false;
  const std::u16string sectionText(section), keyText(key), valueText(value);
  return WritePrivateProfileStringW(Wide(sectionText), Wide(keyText), Wide(valueText), Wide(path_)) != FALSE;
}

bool ProfileFile::IsUnicode() const {
  const std::optional<std::string> bytes = ReadWholeFile(path_, kFileLimit);
  return bytes && bytes->compare(0, 2, kUtf16Mark) == 0;
}

bool ProfileFile::MakeUnicode() const {
  std::u16string text;
  if (std::optional<std::string> bytes = ReadWholeFile(path_, kFileLimit)) {
    if (bytes->compare(0, 2, kUtf16Mark) == 0) return true;
    text = bytes->compare(0, 3, kUtf8Mark) == 0 ? FromUtf8(std::string_view(*bytes).substr(3)) : FromAnsi(*bytes);
  } else if (GetFileAttributesW(Wide(path_)) != INVALID_FILE_ATTRIBUTES) {
    return false;  // there, but unreadable: left alone
  }
  if (!WriteUnicodeFile(path_, text)) return false;
  // The profile functions may keep the old file in memory (Wine does, by its time of writing,
  // which a rewrite within the same clock step leaves as it was): dropped, it is read afresh.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Wide(path_));
  return true;
}

bool WriteUnicodeFile(const std::u16string& path, std::u16string_view text) {
  std::string bytes(kUtf16Mark, 2);
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  // Written beside the file and moved over it, so that a failure leaves the old file whole.
  const std::u16string fresh = path + u".new";
  {
    ScopedHandle file(CreateFileW(Wide(fresh), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file.get())) {
      file.reset();
      DeleteFileW(Wide(fresh));
      return false;
    }
  }
  // ReplaceFile keeps the old file's attributes and security; a file not there yet is moved in.
  const bool replaced = GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES
                            ? ReplaceFileW(Wide(path), Wide(fresh), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                           nullptr) != FALSE
                            : MoveFileExW(Wide(fresh), Wide(path), MOVEFILE_WRITE_THROUGH) != FALSE;
  if (replaced) return true;
  DeleteFileW(Wide(fresh));
  return false;
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
