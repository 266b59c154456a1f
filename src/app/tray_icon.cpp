#include "app/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace lum {

TrayIconRecord MakeTrayIconRecord(HWND window, HICON icon, const char* caption) {
  TrayIconRecord record{};
  record.cbSize = sizeof record;
  record.hWnd = window;
  record.uID = 1;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;
  std::memset(record.szTip, ' ', sizeof record.szTip);
  size_t length = std::min(std::strlen(caption), sizeof record.szTip - 1);
  std::memcpy(record.szTip, caption, length);
  record.szTip[length] = '\0';
  return record;
}

}  // namespace lum
