// The hidden tray form: it owns the settings' store, the tray icon, the caption cycle and the
// news, routes the window messages to them, and runs every command of the tray menu and the
// settings window (see command_table.h).
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/caption_cycle.h"
#include "app/form_state.h"
#include "app/news_controller.h"
#include "app/tray_icon.h"
#include "config/settings.h"
#include "platform/profile.h"
#include "platform/scoped_win.h"
#include "settings/settings_host.h"

namespace lum {

class AboutBox;
class ClockDialog;
class SettingsDialog;

struct TrayFormOptions {
  std::u16string programDir;
  // Names the single-instance lock; tests use their own so that they never meet a real run.
  std::u16string instanceName = u"Lumbrel.Form1.SingleInstance";
  // The program ends its message loop when the form goes; tests keep theirs running.
  bool quitMessageLoopOnClose = true;
  // The process whose windows the caption overlay leaves alone: this one unless a test,
  // whose own windows are the targets, names another.
  std::optional<DWORD> overlayOwnProcess;
  // An unchanged caption is kept painted from a thread without windows while the window thread
  // sleeps (see SteadyPainter); tests that call the form directly leave it off.
  bool steadyPainter = false;
};

class TrayForm : public SettingsHost {
 public:
  // Posted by the settings dialog when its window has gone, and to quit from its menu.
  static constexpr UINT kSettingsClosedMessage = WM_APP + 20;
  static constexpr UINT kQuitRequestMessage = WM_APP + 21;
  static constexpr UINT kSteadyWakeMessage = WM_APP + 22;  // the steady painter hands the caption back

  TrayForm(SettingsStore& store, TrayFormOptions options);
  ~TrayForm() override;
  TrayForm(const TrayForm&) = delete;
  TrayForm& operator=(const TrayForm&) = delete;

  // Start-up. False when another instance runs: then nothing was read or written.
  bool Form_Load();
  void Form_Unload();
  void subQuit();

  // The tray menu's command `id`, as a click on its item runs it.
  void RunMenuCommand(UINT id);
  void RunCommand(const CommandCall& call, const CommandSource& source) override;
  // Loads a picture file as the caption background and stores it; false (and nothing changed)
  // when the file is not a picture.
  bool ChangePicture(const std::u16string& path, bool raiseToCaption = false);
  bool DropPicture(HWND owner, const std::u16string& path) override;

  // The settings dialog: opened (or brought to the front) by a left click on the tray icon.
  void OpenSettingsDialog();
  SettingsDialog* settingsDialog() const { return settingsDialog_.get(); }
  ClockDialog* clockDialog() const { return clockDialog_.get(); }
  // The one about box of the run (made on first use).
  AboutBox& aboutBox();

  const SettingsStore& store() const override { return store_; }
  const std::vector<ChannelRec>& channelTable() const override { return news_.channelTable(); }
  HMENU trayMenu() const override { return trayIcon_.menu(); }
  bool quitting() const override { return state_.quitting; }
  bool startingUp() const { return state_.startingUp; }
  void SettingsClosed() override { PostMessageW(hwnd_, kSettingsClosedMessage, 0, 0); }
  // The colour dialog's custom colours, kept for the run.
  const std::array<uint32_t, 16>& customColors() const { return customColors_; }

  CaptionCycle& caption() { return caption_; }
  NewsController& newsController() { return news_; }
  NewsTicker& news() { return news_.news(); }
  const ProfileFile& ini() const { return ini_; }
  HWND hwnd() const { return hwnd_; }

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateFormWindow();
  void CreateDefaultIni() const;
  void RegisterAsService() const;
  void OnTrayMessage(UINT event);
  // The tray menu's marks, the settings window and the caption's style as the store holds them.
  void ShowSettings();

  // The commands, one handler each.
  std::u16string cmdfix_Click(HWND owner, bool raiseToCaption);
  // Tells the user that a file could not be loaded as a picture.
  void ShowPictureFailure(HWND owner, const std::u16string& path) const;
  void cmdColor_Click(HWND owner);
  void cmdShadowColor_Click(HWND owner);
  void setAligen(int index);
  void setBold(int index);
  void setVH(int index);
  void SetChkTime(int64_t value);
  void SetChkAni(int64_t value);
  void SetShadow(int64_t value);
  void SetNewsInterval(int listIndex);
  void mnuClock_Click(HWND owner);
  void mnuHelp_Click();
  void cmdAbout_Click();
  // Runs the colour dialog; the chosen colour, or nothing when cancelled.
  std::optional<COLORREF> PickColor(HWND owner);
  // Re-composes the caption around a change of its text: the cycle pauses, repaints and goes on.
  template <typename Change>
  void Restyle(Change change);

  SettingsStore& store_;
  TrayFormOptions options_;
  ProfileFile ini_;
  FormState state_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  ScopedHandle instanceLock_;
  TrayIcon trayIcon_;
  NewsController news_;
  CaptionCycle caption_;
  std::array<uint32_t, 16> customColors_{};
  std::unique_ptr<ClockDialog> clockDialog_;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<AboutBox> aboutBox_;
};

}  // namespace lum
