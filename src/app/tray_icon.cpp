#include "app/tray_icon.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/shell.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {
constexpr char kCaption[] = "Lumbrel";
}

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

TrayIcon::~TrayIcon() {
  Remove();
  if (menu_) DestroyMenu(menu_);
}

void TrayIcon::Create(HWND owner, HICON icon, ShellNotify notify) {
  owner_ = owner;
  icon_ = icon;
  notify_ = notify ? notify : Shell_NotifyIconA;
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  if (menu_) DestroyMenu(menu_);
  menu_ = BuildTrayMenu();
}

bool TrayIcon::Notify(DWORD message) {
  TrayIconRecord record = MakeTrayIconRecord(owner_, icon_, kCaption);
  return notify_(message, reinterpret_cast<PNOTIFYICONDATAA>(&record)) != FALSE;
}

void TrayIcon::SetVersion() {
  // The version lives past the first record's end; the shell tells the records apart by size.
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = owner_;
  data.uID = 1;
  data.uVersion = NOTIFYICON_VERSION;
  notify_(NIM_SETVERSION, &data);
}

bool TrayIcon::TryAdd() {
  if (!owner_) return false;
  // An icon the shell still has (a taskbar that kept it) only needs its data again.
  added_ = Notify(NIM_ADD) || Notify(NIM_MODIFY);
  if (!added_) return false;
  SetVersion();
  KillTimer(owner_, kRetryTimerId);
  retriesLeft_ = 0;
  return true;
}

bool TrayIcon::Add() {
  if (TryAdd()) return true;
  retriesLeft_ = kRetries;
  if (owner_) SetTimer(owner_, kRetryTimerId, kRetryIntervalMs, nullptr);
  return false;
}

void TrayIcon::OnRetryTimer() {
  if (!added_ && retriesLeft_ > 0) {
    --retriesLeft_;
    if (TryAdd()) return;
  }
  if (added_ || retriesLeft_ <= 0) KillTimer(owner_, kRetryTimerId);
}

void TrayIcon::OnTaskbarCreated() {
  added_ = false;
  Add();
}

void TrayIcon::Remove() {
  if (owner_) KillTimer(owner_, kRetryTimerId);
  retriesLeft_ = 0;
  if (!added_) return;
  Notify(NIM_DELETE);
  added_ = false;
}

void TrayIcon::AddChannel(int index, HBITMAP picture) {
  if (!menu_) return;
  InsertChannelItem(menu_, index);
  SetMenuItemPicture(menu_, index, picture, owner_);
}

void TrayIcon::DropChannelTemplate() {
  if (menu_) DeleteMenu(menu_, kMnuNewsFirst, MF_BYCOMMAND);
}

void TrayIcon::HideNews() {
  if (menu_) HideNewsItems(menu_);
}

void TrayIcon::ShowMarks(const Settings& s, size_t channels) {
  if (!menu_) return;
  const UINT alignments[] = {kLeftAli, kRightAli, kCenterAli, kNoCaption};
  for (int i = 0; i < 4; ++i) SetMenuCheck(menu_, alignments[i], i == s.alignmentOption());
  SetMenuCheck(menu_, kNormalFont, s.fontOption() == 0);
  SetMenuCheck(menu_, kBoldFont, s.fontOption() == 1);
  SetMenuCheck(menu_, kMnuShadow, s.outline());
  SetMenuCheck(menu_, kCmdTimer, s.clock != 0);
  SetMenuCheck(menu_, kCmdAnimation, s.animation != 0);
  SetMenuCheck(menu_, kVscroll, s.scrollOption() == 0);
  SetMenuCheck(menu_, kHscroll, s.scrollOption() == 1);
  for (size_t a = 1; a <= channels; ++a)
    SetMenuCheck(menu_, kMnuNewsFirst + static_cast<UINT>(a), static_cast<int32_t>(a) == s.channel);
}

TrayIcon::Request TrayIcon::RequestOf(UINT event) {
  switch (event) {
    case WM_LBUTTONUP:
      leftReleased_ = true;
      return Request::kSettingsWindow;
    case NIN_SELECT:
      if (std::exchange(leftReleased_, false)) return Request::kNothing;
      return Request::kSettingsWindow;
    case NIN_KEYSELECT:
      return Request::kSettingsWindow;
    case WM_RBUTTONUP:
      rightReleased_ = true;
      return Request::kMenu;
    case WM_CONTEXTMENU:
      if (std::exchange(rightReleased_, false)) return Request::kNothing;
      return Request::kMenu;
    default:
      return Request::kNothing;
  }
}

void TrayIcon::ShowMenu() {
  if (!menu_) return;
  // In front, so that the menu closes when the user clicks elsewhere.
  SetForegroundWindow(owner_);
  DoEvents();
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(menu_, TPM_RIGHTBUTTON, at.x, at.y, 0, owner_, nullptr);
  // The menu's window goes at once, not at the owner's next message.
  PostMessageW(owner_, WM_NULL, 0, 0);
}

}  // namespace lum
