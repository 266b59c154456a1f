#include "platform/dialogs.h"

#include <commdlg.h>

#include <cstddef>

#include "platform/modal_loop.h"
#include "platform/text.h"

namespace lum {

std::u16string ShowOpenDialog(HWND owner, const std::u16string& filter, const std::u16string& initialDirectory) {
  // The record of the first explorer-style dialogs, which every version accepts: 76 bytes in
  // the 32-bit program.
  constexpr DWORD kRecordSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
  static_assert(sizeof(void*) != 4 || kRecordSize == 76);
  constexpr DWORD kFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x81804
  static_assert(kFlags == 0x81804);
  static_assert(sizeof(OPENFILENAMEA) >= kRecordSize);
  std::string ansiFilter = ToAnsi(filter);
  ansiFilter.push_back('\0');  // the list ends with an empty entry
  std::string directory = ToAnsi(initialDirectory);
  char file[257] = {};
  char title[257] = {};
  OPENFILENAMEA record{};
  record.lStructSize = kRecordSize;
  record.hwndOwner = owner;
  record.hInstance = GetModuleHandleW(nullptr);
  record.lpstrFilter = ansiFilter.c_str();
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = 256;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = 256;
  record.lpstrInitialDir = directory.c_str();
  record.Flags = kFlags;
  // The program's other windows wait while the dialog is open; its owner it disables itself.
  ModalRun run(nullptr, owner);
  if (!GetOpenFileNameA(&record)) return {};
  return FromAnsi(file);
}

}  // namespace lum
