// Every command of the tray menu and of the settings window, one row each: the ids that raise
// it (the menu item and the settings window's control), the LUM.ini key it changes and what it
// opens. Both windows find their commands here and hand them to one dispatcher.
#pragma once

#include <windows.h>

#include <optional>

namespace lum {

enum class Command {
  kPicture,
  kTextColour,
  kShadowColour,
  kFontWeight,
  kOutline,
  kAlignment,
  kClock,
  kAnimation,
  kScroll,
  kNews,
  kNewsInterval,
  kChannel,
  kClockWindow,
  kNewsWindow,
  kChannelSetup,
  kHelp,
  kAbout,
  kQuit,
};

enum class Opens { kNothing, kPictureFile, kColourDialog, kClockWindow, kNewsWindow, kChannelFile, kHelp, kAboutBox };

struct CommandRow {
  Command command;
  UINT menuId;     // the first of `count` menu items (0: none); the index is the id's offset
  int controlId;   // the first of `count` controls of the settings window (0: none)
  int count;       // option groups and the channels have more than one
  const char16_t* key;  // what it changes in [DEFAULT] (null: nothing)
  Opens opens;
};

// One command as a window raises it.
struct CommandCall {
  const CommandRow* row = nullptr;
  int index = 0;  // within an option group, or the channel (1..)
};

// Where a command comes from: the window that owns what it opens, whether it is the settings
// window, and the value a check box or a list holds after the click (a menu item toggles).
struct CommandSource {
  HWND owner = nullptr;
  bool settingsWindow = false;
  std::optional<int> value;
};

// The row of a menu item or a settings-window control; nothing for any other id.
std::optional<CommandCall> FindCommand(UINT id);
// Every row, for the dispatcher's tests.
const CommandRow* CommandRows(size_t* count);

}  // namespace lum
