// What the settings dialog asks of the program that owns it: the commands that change one
// setting each (they keep the tray menu's marks in step and write LUM.ini), and the windows
// and menus the dialog shares. The tray form answers them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "news/channels.h"

namespace lum {

class AboutBox;

class SettingsHost {
 public:
  virtual ~SettingsHost() = default;

  virtual bool quitting() const = 0;
  virtual const std::vector<ChannelRec>& channelTable() const = 0;
  virtual HMENU trayMenu() const = 0;
  virtual AboutBox& aboutBox() = 0;

  virtual void setAligen(int16_t index) = 0;
  virtual void setBold(int16_t index) = 0;
  virtual void SetChkTime(int64_t value) = 0;
  virtual void SetShadow(int16_t value) = 0;
  virtual void SetChkAni(int64_t value) = 0;
  virtual void cmdColor_Click(HWND owner) = 0;
  virtual void cmdShadowColor_Click(HWND owner) = 0;
  virtual std::u16string cmdfix_Click(HWND owner, bool raiseToCaption) = 0;
  virtual bool ChangePicture(const std::u16string& path, bool raiseToCaption) = 0;
  virtual void ShowPictureFailure(HWND owner, const std::u16string& path) const = 0;
  virtual void setVH(int index) = 0;
  virtual void SetChkNews(int64_t value) = 0;
  virtual void SetNewsInterval(int32_t minutes) = 0;
  virtual void SelectChannel(int index) = 0;
  virtual void ShowNews() = 0;
  virtual void mnuClock_Click(HWND owner) = 0;
  virtual void mnuCsetup_Click(HWND owner) = 0;
  virtual void mnuHelp_Click() = 0;

  // Told once the dialog's window has gone, so the tray menu comes back.
  virtual void SettingsClosed() = 0;
  // The dialog's own quit command; the program ends after the dialog's handler returns.
  virtual void RequestQuit() = 0;
};

}  // namespace lum
