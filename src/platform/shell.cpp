#include "platform/shell.h"

#include <shellapi.h>

#include <vector>

#include "platform/text.h"

namespace lum {

std::u16string ProgramDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return u".";
    if (length < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  std::u16string path = FromWide(buffer.data());
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? u"." : path.substr(0, slash);
}

bool OpenDocument(HWND owner, const std::u16string& file) {
  std::vector<wchar_t> current(MAX_PATH + 1);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
  const wchar_t* directory = length > 0 && length < current.size() ? current.data() : nullptr;
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", Wide(file), L"PARA", directory, SW_SHOWNORMAL));
  return result > 32;
}

bool FileExists(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace lum
