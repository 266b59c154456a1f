// The notification-area icon and its popup menu, its whole life: added (with the ANSI
// NOTIFYICONDATA of the first shell versions: 88 bytes in the 32-bit program, 104 in a 64-bit
// build, where handles are 8 bytes and naturally aligned), tried again while the taskbar is not
// there yet, added afresh when the taskbar is made again ("TaskbarCreated"), removed; the menu's
// items and marks; and what a click or a key on the icon asks for.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

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

// The program's own message: a mouse move over the hidden form is no tray event.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// How the icon reaches the shell: the system's call, or a test's.
using ShellNotify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);

// uID 1, flags 7 (message, icon, tip); the tip is the caption, a NUL, then blanks to 64 bytes.
TrayIconRecord MakeTrayIconRecord(HWND window, HICON icon, const char* caption);

class TrayIcon {
 public:
  enum class Request { kNothing, kSettingsWindow, kMenu };
  // A refused add (no taskbar yet, at sign-in say) is tried again every 2 s for a minute; after
  // that "TaskbarCreated" brings the icon.
  static constexpr UINT kRetryTimerId = 3;
  static constexpr UINT kRetryIntervalMs = 2000;
  static constexpr int kRetries = 30;

  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The menu afresh with every item, the channel template included; the icon is not shown yet.
  // The retry timer is the owner's.
  void Create(HWND owner, HICON icon, ShellNotify notify = Shell_NotifyIconA);
  // Shows the icon in the notification area, and asks for the shell's keyboard notifications
  // (NOTIFYICON_VERSION); false when the shell refused it, which is then tried again.
  bool Add();
  void OnRetryTimer();
  // The taskbar was made again: the icon it lost is added afresh.
  void OnTaskbarCreated();
  // The message the shell broadcasts when it makes the taskbar; 0 if it could not be had.
  UINT taskbarCreatedMessage() const { return taskbarCreated_; }
  bool added() const { return added_; }
  void Remove();
  HMENU menu() const { return menu_; }

  // Channel `index`'s entry with its picture; then, once every channel is in, the template goes.
  void AddChannel(int index, HBITMAP picture);
  void DropChannelTemplate();
  // Without channels: the news items and the template go.
  void HideNews();

  // Every mark as the settings are; `channels` is the number of channel entries.
  void ShowMarks(const Settings& settings, size_t channels);
  // What an event reported by the icon (the low word of the callback's lParam) asks for: the
  // settings window on a left button's release, NIN_SELECT or NIN_KEYSELECT (Enter or Space),
  // the menu on a right button's release or WM_CONTEXTMENU (Shift+F10, the menu key). The shell
  // follows a release with its version's notification; the pair counts once.
  Request RequestOf(UINT event);
  // Pops the menu up at the cursor, the owner in front so that the menu closes when the user
  // clicks elsewhere; its command arrives as WM_COMMAND.
  void ShowMenu();

 private:
  bool Notify(DWORD message);
  bool TryAdd();
  void SetVersion();

  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  HMENU menu_ = nullptr;
  ShellNotify notify_ = Shell_NotifyIconA;
  UINT taskbarCreated_ = 0;
  bool added_ = false;
  int retriesLeft_ = 0;
  bool leftReleased_ = false;   // a NIN_SELECT that follows is the same click
  bool rightReleased_ = false;  // a WM_CONTEXTMENU that follows is the same click
};

}  // namespace lum
