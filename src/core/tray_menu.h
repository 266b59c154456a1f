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
  kMnuNewsFirst = 200,  // one item per channel from here on
};

// The tray mouse messages that do something.
inline constexpr UINT kTrayLeftDown = WM_LBUTTONDOWN;   // 513
inline constexpr UINT kTrayRightDown = WM_RBUTTONDOWN;  // 516

// Builds the popup with its "設定(&S)" submenu. Without channels the news items and the
// separators around the channel list are left out, as if hidden.
HMENU BuildTrayMenu(bool withNewsItems);

// Sets one item's check mark (radio-style items draw a dot).
void SetMenuCheck(HMENU menu, UINT command, bool checked);

}  // namespace lum
