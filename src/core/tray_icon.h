// The notification-area icon: the 88-byte ANSI NOTIFYICONDATA of the first shell versions.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lum {

#pragma pack(push, 4)
struct TrayIconRecord {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
#pragma pack(pop)
static_assert(sizeof(TrayIconRecord) == 88, "the shell takes the 88-byte record");

inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;  // 512

// uID 1, flags 7 (message, icon, tip); the tip is the caption, a NUL, then blanks to 64 bytes.
TrayIconRecord MakeTrayIconRecord(HWND window, HICON icon, const char* caption);

}  // namespace lum
