// The tray icon's popup menu: the items, their captions and command identifiers.
#pragma once

#include <windows.h>

namespace lum {

enum MenuCommand : UINT {
  kCmdBar = 100,  // picture
  kCmdC,          // text colour
  kCmdS,          // shadow colour
  kNormalFont,
  kBoldFont,
  kMnuShadow,
  kLeftAli,
  kRightAli,
  kCenterAli,
  kNoCaption,
  kCmdTimer,
  kMnuClock,
  kCmdAnimation,
  kMnuNewsText,
  kVscroll,
  kHscroll,
  kMnuCsetup,
  kMnuHelp,
  kCmdAbout,
  kCmdQuit,
  kSepNewsItems,        // the separator above the news items of the settings submenu
  kSepChannels,         // the separator after the channel entries
  kCmdNews,             // the settings dialog's news heading "ﾆｭｰｽ", never selectable
  kSepDialogTop,        // the settings dialog's separator under the settings submenu
  kMnuNewsFirst = 200,  // the channel entries: element 0 is the template, a separator
};

// Builds the popup with its "設定(&S)" submenu and every item, the channel template included.
HMENU BuildTrayMenu();

// The settings dialog's menu bar: "ﾌﾟﾛﾊﾟﾃｨ(&P)" holding the tray menu's settings submenu, the
// news heading, the channel template "【News】" and the tray menu's closing items.
HMENU BuildSettingsMenuBar();
// The popup under the menu bar's one top item.
HMENU SettingsMenuPopup(HMENU menuBar);

// Without channels: hides the news items of the settings submenu, the separator above them
// and the separator after the channel entries.
void HideNewsItems(HMENU popup);

// Adds the entry of channel `index` (1..n) after the entries before it, right before the
// separator that ends the channel list.
void InsertChannelItem(HMENU popup, int index, const wchar_t* caption = L"");

// Makes channel `index`'s entry show its picture (a 44-byte MENUITEMINFO of type bitmap).
// The entry is found by its command, kMnuNewsFirst + index: with an unreadable channel
// before it (which has no entry) it does not stand at position index + 2.
void SetMenuItemPicture(HMENU popup, int index, HBITMAP picture, HWND owner);

// Sets one item's check mark (radio-style items draw a dot).
void SetMenuCheck(HMENU menu, UINT command, bool checked);

}  // namespace lum
