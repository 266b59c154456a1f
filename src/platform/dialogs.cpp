#include "platform/dialogs.h"

#include <commdlg.h>

#include <cstddef>

#include "platform/modal_loop.h"
#include "platform/text.h"

namespace lum {

std::u16string ShowOpenDialog(HWND owner, const std::u16string& filter, const std::u16string& initialDirectory) {
  // The record of the first explorer-style dialogs, which every version accepts: 76 bytes in
  // the 32-bit program.
  constexpr DWORD kRecordSize = offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR);
  static_assert(sizeof(void*) != 4 || kRecordSize == 76);
  constexpr DWORD kFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x81804
  static_assert(kFlags == 0x81804);
  static_assert(sizeof(OPENFILENAMEW) >= kRecordSize);
  // Wide, so that a file in a folder the code page cannot write comes back whole.
  std::u16string wideFilter = filter;
  wideFilter.push_back(u'\0');  // the list ends with an empty entry
  wchar_t file[MAX_PATH + 1] = {};
  wchar_t title[MAX_PATH + 1] = {};
  OPENFILENAMEW record{};
  record.lStructSize = kRecordSize;
  record.hwndOwner = owner;
  record.hInstance = GetModuleHandleW(nullptr);
  record.lpstrFilter = Wide(wideFilter);
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = MAX_PATH;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = MAX_PATH;
  record.lpstrInitialDir = Wide(initialDirectory);
  record.Flags = kFlags;
  // The program's other windows wait while the dialog is open; its owner it disables itself.
  ModalRun run(nullptr, owner);
  if (!GetOpenFileNameW(&record)) return {};
  return FromWide(file);
}

}  // namespace lum
