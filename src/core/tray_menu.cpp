#include "core/tray_menu.h"

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
    {0, L"", false},
    {kMnuNewsText, L"ﾆｭｰｽ表示(&N)", false},
    {kVscroll, L"縦ｽｸﾛｰﾙ(&V)", true},
    {kHscroll, L"横ｽｸﾛｰﾙ(&H)", true},
};

void Append(HMENU menu, const MenuItem& item) {
  if (item.command == 0) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
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

}  // namespace

HMENU BuildTrayMenu(bool withNewsItems) {
  HMENU settings = CreatePopupMenu();
  for (const auto& item : kSettingsItems) Append(settings, item);
  if (withNewsItems)
    for (const auto& item : kNewsItems) Append(settings, item);

  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(settings), L"設定(&S)");
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  if (withNewsItems) {
    // The first element of the channel list is a separator; the channels follow it, then
    // the separator before the set-up.
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  }
  Append(popup, {kMnuCsetup, L"ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ(&C)", false});
  Append(popup, {kMnuHelp, L"ﾍﾙﾌﾟ(&H)", false});
  Append(popup, {kCmdAbout, L"ﾊﾞｰｼﾞｮﾝ情報(&V)", false});
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  Append(popup, {kCmdQuit, L"終了(&Q)", false});
  return popup;
}

void SetMenuCheck(HMENU menu, UINT command, bool checked) {
  CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace lum
