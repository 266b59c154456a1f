#include "app/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

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

void TrayIcon::Create(HWND owner, HICON icon) {
  owner_ = owner;
  icon_ = icon;
  if (menu_) DestroyMenu(menu_);
  menu_ = BuildTrayMenu();
}

bool TrayIcon::Add() {
  TrayIconRecord record = MakeTrayIconRecord(owner_, icon_, kCaption);
  added_ = Shell_NotifyIconA(NIM_ADD, reinterpret_cast<PNOTIFYICONDATAA>(&record)) != FALSE;
  return added_;
}

void TrayIcon::Remove() {
  if (!added_) return;
  TrayIconRecord record = MakeTrayIconRecord(owner_, icon_, kCaption);
  Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAA>(&record));
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

TrayIcon::Request TrayIcon::RequestOf(UINT mouseMessage) {
  switch (mouseMessage) {
    case kTrayRightDown:
      return Request::kMenu;
    case kTrayLeftDown:
      return Request::kSettingsWindow;
    default:
      return Request::kNothing;
  }
}

void TrayIcon::ShowMenu() {
  DoEvents();
  // In front, so that the menu closes when the user clicks elsewhere.
  SetForegroundWindow(owner_);
  DoEvents();
  if (!menu_) return;
  POINT at{};
  GetCursorPos(&at);
  TrackPopupMenu(menu_, 0, at.x, at.y, 0, owner_, nullptr);
}

}  // namespace lum
