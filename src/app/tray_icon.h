// The notification-area icon: the ANSI NOTIFYICONDATA of the first shell versions (88 bytes in
// the 32-bit program, 104 in a 64-bit build, where handles are 8 bytes and naturally aligned).
#pragma once

#include <windows.h>

#include <cstdint>

namespace lum {

#ifndef _WIN64
#pragma pack(push, 4)
#endif
struct TrayIconRecord {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
#ifndef _WIN64
#pragma pack(pop)
#endif
inline constexpr size_t kTrayIconRecordSize = sizeof(void*) == 4 ? 88 : 104;
static_assert(sizeof(TrayIconRecord) == kTrayIconRecordSize, "the shell takes the first version's record");

inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;  // 512

// uID 1, flags 7 (message, icon, tip); the tip is the caption, a NUL, then blanks to 64 bytes.
TrayIconRecord MakeTrayIconRecord(HWND window, HICON icon, const char* caption);

}  // namespace lum
