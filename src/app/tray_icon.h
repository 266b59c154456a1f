// The notification-area icon and its popup menu: the ANSI NOTIFYICONDATA of the first shell
// versions (88 bytes in the 32-bit program, 104 in a 64-bit build, where handles are 8 bytes and
// naturally aligned), the menu's items and marks, and what a click on the icon asks for.
#pragma once

#include <windows.h>

#include <cstdint>

#include "config/settings.h"

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

class TrayIcon {
 public:
  enum class Request { kNothing, kSettingsWindow, kMenu };

  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The menu afresh with every item, the channel template included; the icon is not shown yet.
  void Create(HWND owner, HICON icon);
  // Shows the icon in the notification area.
  bool Add();
  void Remove();
  HMENU menu() const { return menu_; }

  // Channel `index`'s entry with its picture; then, once every channel is in, the template goes.
  void AddChannel(int index, HBITMAP picture);
  void DropChannelTemplate();
  // Without channels: the news items and the template go.
  void HideNews();

  // Every mark as the settings are; `channels` is the number of channel entries.
  void ShowMarks(const Settings& settings, size_t channels);
  // What a mouse message reported by the icon asks for.
  static Request RequestOf(UINT mouseMessage);
  // Pops the menu up at the cursor; its command arrives as WM_COMMAND.
  void ShowMenu();

 private:
  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  HMENU menu_ = nullptr;
  bool added_ = false;
};

}  // namespace lum
