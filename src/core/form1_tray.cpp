// The tray icon's mouse messages, its popup menu and the quit sequence.
#include "about/about_box.h"
#include "clock/clock_dialog.h"
#include "core/form1.h"
#include "core/tray_menu.h"
#include "platform/shell.h"

namespace lum {

void Form1::OnTrayMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case kTrayRightDown:
      ShowTrayMenu();
      break;
    case kTrayLeftDown:
      // Opens the settings dialog once that dialog exists.
    default:
      break;
  }
}

void Form1::ShowTrayMenu() {
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

void Form1::OnMenuCommand(UINT command) {
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

void Form1::mnuHelp_Click() { OpenDocument(hwnd_, options_.programDir + u"\\lumhelp.chm"); }

void Form1::mnuClock_Click() {
  if (clockDialog_) {  // open already: bring it to the front
    if (clockDialog_->hwnd()) SetForegroundWindow(clockDialog_->hwnd());
    return;
  }
  clockDialog_ = std::make_unique<ClockDialog>(settings_, ini_);
  clockDialog_->ShowModal(hwnd_);
  clockDialog_.reset();
}

void Form1::cmdAbout_Click() { aboutBox().ShowModeless(hwnd_); }

AboutBox& Form1::aboutBox() {
  if (!aboutBox_) aboutBox_ = std::make_unique<AboutBox>();
  return *aboutBox_;
}

void Form1::subQuit() {
  quitting_ = true;
  Form_Unload();
  if (hwnd_) DestroyWindow(hwnd_);
}

}  // namespace lum
