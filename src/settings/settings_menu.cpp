#include "settings/settings_menu.h"

#include <cstddef>

#include <string_view>

namespace lum {

namespace {

struct MenuItem {
  UINT command;  // 0: separator
  std::wstring_view caption;
  bool radio;
};

constexpr MenuItem kSettingsItems[] = {
    {kCmdBar, L"ﾀｲﾄﾙﾊﾞｰ背景画像変更(&P)", false},
    {kCmdC, L"ﾀｲﾄﾙﾊﾞｰ文字色変更(&F)", false},
    {kCmdS, L"ﾀｲﾄﾙｷｬﾌﾟｼｮﾝの影色変更(&S)", false},
    {0, L"", false},
    {kNormalFont, L"通常ﾌｫﾝﾄ(&E)", true},
    {kBoldFont, L"太字ﾌｫﾝﾄ(&B)", true},
    {kMnuShadow, L"強調表示(&K)", false},
    {0, L"", false},
    {kLeftAli, L"左揃え(&L)", true},
    {kRightAli, L"右揃え(&R)", true},
    {kCenterAli, L"中央揃え(&C)", true},
    {kNoCaption, L"なし(&N)", true},
    {0, L"", false},
    {kCmdTimer, L"時計描画(&T)", false},
    {kMnuClock, L"時計ｶｽﾀﾏｲｽﾞ(&D)", false},
    {kCmdAnimation, L"ｱﾆﾒｰｼｮﾝ(&A)", false},
};

constexpr MenuItem kNewsItems[] = {
    {kSepNewsItems, L"", false},
    {kMnuNewsText, L"ﾆｭｰｽ表示(&N)", false},
    {kVscroll, L"縦ｽｸﾛｰﾙ(&V)", true},
    {kHscroll, L"横ｽｸﾛｰﾙ(&H)", true},
};

void AppendSeparator(HMENU menu, UINT command = 0) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_FTYPE;
  info.fType = MFT_SEPARATOR;
  info.wID = command;
  InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

void Append(HMENU menu, const MenuItem& item) {
  if (item.caption.empty()) {
    AppendSeparator(menu, item.command);
    return;
  }
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  info.fType = item.radio ? MFT_RADIOCHECK : MFT_STRING;
  info.wID = item.command;
  info.dwTypeData = const_cast<wchar_t*>(item.caption.data());
  InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

void AppendSettingsSubmenu(HMENU popup) {
  HMENU settings = CreatePopupMenu();
  for (const auto& item : kSettingsItems) Append(settings, item);
  for (const auto& item : kNewsItems) Append(settings, item);
  AppendMenuW(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(settings), L"設定(&S)");
}

void AppendClosingItems(HMENU popup) {
  Append(popup, {kMnuCsetup, L"ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ(&C)", false});
  Append(popup, {kMnuHelp, L"ﾍﾙﾌﾟ(&H)", false});
  Append(popup, {kCmdAbout, L"ﾊﾞｰｼﾞｮﾝ情報(&V)", false});
  AppendSeparator(popup);
  Append(popup, {kCmdQuit, L"終了(&Q)", false});
}

}  // namespace

HMENU BuildTrayMenu() {
  HMENU popup = CreatePopupMenu();
  AppendSettingsSubmenu(popup);
  AppendSeparator(popup);
  AppendSeparator(popup, kMnuNewsFirst);  // the channel template; channels follow it
  AppendSeparator(popup, kSepChannels);
  AppendClosingItems(popup);
  return popup;
}

HMENU BuildSettingsMenuBar() {
  HMENU popup = CreatePopupMenu();
  AppendSettingsSubmenu(popup);
  AppendSeparator(popup, kSepDialogTop);
  AppendMenuW(popup, MF_STRING | MF_GRAYED, kCmdNews, L"ﾆｭｰｽ");
  Append(popup, {kMnuNewsFirst, L"【News】", false});
  AppendSeparator(popup, kSepChannels);
  AppendClosingItems(popup);
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), L"ﾌﾟﾛﾊﾟﾃｨ(&P)");
  return bar;
}

HMENU SettingsMenuPopup(HMENU menuBar) { return GetSubMenu(menuBar, 0); }

void HideNewsItems(HMENU popup) {
  for (UINT command : {kSepNewsItems, kMnuNewsText, kVscroll, kHscroll, kSepChannels})
    DeleteMenu(popup, command, MF_BYCOMMAND);
}

void InsertChannelItem(HMENU popup, int index, const wchar_t* caption) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  info.fType = MFT_STRING;
  info.wID = kMnuNewsFirst + static_cast<UINT>(index);
  info.dwTypeData = const_cast<wchar_t*>(caption);
  // Right before the separator that ends the list: a skipped (unreadable) channel leaves
  // no entry, so position index + 2 could lie past that separator.
  InsertMenuItemW(popup, kSepChannels, FALSE, &info);
}

void SetMenuItemPicture(HMENU popup, int index, HBITMAP picture, HWND owner) {
  // By the channel's own command, not by position: after a skipped channel the entry at
  // index + 2 is another item.
  const UINT command = kMnuNewsFirst + static_cast<UINT>(index);
  if (GetMenuState(popup, command, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
  MENUITEMINFOA info{};
  // Without hbmpItem: the record of the first versions, 44 bytes in the 32-bit program.
  constexpr UINT kRecordSize = offsetof(MENUITEMINFOA, hbmpItem);
  static_assert(sizeof(void*) != 4 || kRecordSize == 44);
  info.cbSize = kRecordSize;
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;  // 0x13
  info.fType = MFT_BITMAP;
  info.dwTypeData = reinterpret_cast<LPSTR>(picture);
  info.fState = 0;
  info.wID = command;
  info.cch = 0;
  SetMenuItemInfoA(popup, command, FALSE, &info);
  if (owner) DrawMenuBar(owner);
}

void SetMenuCheck(HMENU menu, UINT command, bool checked) {
  CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace lum
