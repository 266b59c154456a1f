// What the settings dialog asks of the program that owns it: the settings it shows, the one
// dispatcher its commands go to (which changes the settings and keeps the tray menu in step),
// and the windows and menus the dialog shares. The tray form answers them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "news/channels.h"
#include "settings/command_table.h"

namespace lum {

class SettingsHost {
 public:
  virtual ~SettingsHost() = default;

  virtual bool quitting() const = 0;
  virtual const SettingsStore& store() const = 0;
  virtual const std::vector<ChannelRec>& channelTable() const = 0;
  virtual HMENU trayMenu() const = 0;

  // Runs one command; the settings window is shown the settings afresh afterwards.
  virtual void RunCommand(const CommandCall& call, const CommandSource& source) = 0;
  // A picture file dropped on the settings window: loads it as the caption background (raised
  // to the caption buttons' height); false, and a message owned by `owner`, when it is none.
  virtual bool DropPicture(HWND owner, const std::u16string& path) = 0;

  // Told once the dialog's window has gone, so the tray menu comes back.
  virtual void SettingsClosed() = 0;
};

}  // namespace lum
