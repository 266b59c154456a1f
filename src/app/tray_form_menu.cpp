// The tray icon's mouse messages, its popup menu and the quit sequence.
#include "about/about_box.h"
#include "app/tray_form.h"
#include "clock/clock_dialog.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "settings/settings_dialog.h"
#include "settings/settings_menu.h"

namespace lum {

void TrayForm::OnTrayMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case kTrayRightDown:
      // While the settings dialog is open it carries every command itself.
      if (!settingsDialog_) ShowTrayMenu();
      break;
    case kTrayLeftDown:
      OpenSettingsDialog();
      break;
    default:
      break;
  }
}

void TrayForm::ShowTrayMenu() {
  DoEvents();
  // In front, so that the menu closes when the user clicks elsewhere.
  SetForegroundWindow(hwnd_);
  DoEvents();
  if (!trayMenu_) return;
  POINT at{};
  GetCursorPos(&at);
  HMENU popup = trayMenu_;
  TrackPopupMenu(popup, 0, at.x, at.y, 0, hwnd_, nullptr);
}

void TrayForm::OnMenuCommand(UINT command) {
  switch (command) {
    case kCmdBar:
      cmdfix_Click();
      break;
    case kCmdC:
      cmdColor_Click();
      break;
    case kCmdS:
      cmdShadowColor_Click();
      break;
    case kNormalFont:
    case kBoldFont:
      optBold_Click(static_cast<int>(command - kNormalFont));
      break;
    case kMnuShadow:
      mnuShadow_Click();
      break;
    case kLeftAli:
    case kRightAli:
    case kCenterAli:
    case kNoCaption:
      optAligen_Click(static_cast<int>(command - kLeftAli));
      break;
    case kCmdTimer:
      cmdTimer_Click();
      break;
    case kCmdAnimation:
      cmdAnimation_Click();
      break;
    case kMnuHelp:
      mnuHelp_Click();
      break;
    case kCmdAbout:
      cmdAbout_Click();
      break;
    case kCmdQuit:
      subQuit();
      break;
    case kMnuNewsText:
      ShowNews();
      break;
    case kVscroll:
    case kHscroll:
      optVH_Click(static_cast<int>(command - kVscroll));
      break;
    case kMnuCsetup:
      mnuCsetup_Click();
      break;
    case kMnuClock:
      mnuClock_Click();
      break;
    default:
      if (command > kMnuNewsFirst && command - kMnuNewsFirst < channelTable_.size())
        mnuNews_Click(static_cast<int>(command - kMnuNewsFirst));
      break;
  }
}

void TrayForm::mnuHelp_Click() { OpenDocument(hwnd_, options_.programDir + u"\\lumhelp.chm"); }

void TrayForm::OpenSettingsDialog() {
  if (quitting_) return;
  if (!settingsDialog_) {
    settingsDialog_ = std::make_unique<SettingsDialog>(*this, settings_, ini_);
    if (!settingsDialog_->Load()) {
      settingsDialog_.reset();
      return;
    }
  }
  // While a modal window is open the settings window waits behind it with the program's others.
  if (ModalRun* run = ModalRun::Current()) {
    run->Join(settingsDialog_->hwnd());
    if (run->modal()) ForceForeground(run->modal());
    return;
  }
  if (settingsDialog_->hwnd()) ForceForeground(settingsDialog_->hwnd());
}

void TrayForm::mnuClock_Click(HWND owner) {
  if (clockDialog_) {  // open already: bring it to the front
    if (clockDialog_->hwnd()) SetForegroundWindow(clockDialog_->hwnd());
    return;
  }
  clockDialog_ = std::make_unique<ClockDialog>(settings_, ini_);
  clockDialog_->ShowModal(owner ? owner : hwnd_);
  clockDialog_.reset();
}

void TrayForm::cmdAbout_Click() { aboutBox().ShowModeless(hwnd_); }

AboutBox& TrayForm::aboutBox() {
  if (!aboutBox_) aboutBox_ = std::make_unique<AboutBox>();
  return *aboutBox_;
}

void TrayForm::subQuit() {
  quitting_ = true;
  // The settings dialog goes first and saves its place.
  if (settingsDialog_ && settingsDialog_->hwnd()) DestroyWindow(settingsDialog_->hwnd());
  settingsDialog_.reset();
  Form_Unload();
  if (hwnd_) DestroyWindow(hwnd_);
}

}  // namespace lum
