// The commands of the tray menu and the settings window: one dispatcher over the command
// table, and a handler for each command that changes the settings through the store.
#include "app/tray_form.h"

#include <commdlg.h>

#include "about/about_box.h"
#include "clock/clock_dialog.h"
#include "config/settings_values.h"
#include "platform/dialogs.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/settings_dialog.h"

namespace lum {

void TrayForm::RunMenuCommand(UINT id) {
  if (auto call = FindCommand(id)) RunCommand(*call, CommandSource{});
}

void TrayForm::RunCommand(const CommandCall& call, const CommandSource& source) {
  if (!call.row) return;
  const Settings& s = store_.values();
  HWND owner = source.owner ? source.owner : hwnd_;
  // A menu item turns its setting over; a check box says what it holds after the click.
  auto turned = [&](int32_t current) { return source.value ? *source.value : (current != 0 ? 0 : 1); };
  switch (call.row->command) {
    case Command::kPicture:
      // The settings window raises a picture lower than the caption buttons to their height.
      cmdfix_Click(owner, source.settingsWindow);
      break;
    case Command::kTextColour:
      cmdColor_Click(owner);
      break;
    case Command::kShadowColour:
      cmdShadowColor_Click(owner);
      break;
    case Command::kFontWeight:
      setBold(call.index);
      break;
    case Command::kOutline:
      SetShadow(turned(s.shadow));
      break;
    case Command::kAlignment:
      setAligen(call.index);
      break;
    case Command::kClock:
      SetChkTime(turned(s.clock));
      break;
    case Command::kAnimation:
      SetChkAni(turned(s.animation));
      break;
    case Command::kScroll:
      setVH(call.index);
      break;
    case Command::kNews:
      news_.SetChkNews(source.value.value_or(s.news == 1 ? 0 : 1));
      break;
    case Command::kNewsInterval:
      if (source.value) SetNewsInterval(*source.value);
      break;
    case Command::kChannel:
      // The settings window's list only chooses; the tray menu's entry also turns news on.
      if (source.settingsWindow)
        news_.SelectChannel(call.index);
      else
        news_.mnuNews_Click(call.index);
      break;
    case Command::kClockWindow:
      mnuClock_Click(source.settingsWindow ? owner : nullptr);
      break;
    case Command::kNewsWindow:
      news_.ShowNews();
      break;
    case Command::kChannelSetup:
      news_.mnuCsetup_Click(owner);
      break;
    case Command::kHelp:
      mnuHelp_Click();
      break;
    case Command::kAbout:
      // Over the settings window it is modal; from the tray, topmost and modeless.
      if (source.settingsWindow)
        aboutBox().ShowModal(owner);
      else
        cmdAbout_Click();
      break;
    case Command::kQuit:
      // From the settings window the program ends once the window's handler has returned.
      if (source.settingsWindow)
        PostMessageW(hwnd_, kQuitRequestMessage, 0, 0);
      else
        subQuit();
      return;
  }
  if (!state_.quitting) ShowSettings();
}

template <typename Change>
void TrayForm::Restyle(Change change) {
  caption_.EnableTimer1(false);
  change();
  caption_.InitialBar();
  caption_.RepaintNow(hwnd_);
  caption_.EnableTimer1(true);
}

void TrayForm::setAligen(int index) {
  // Only the four buttons exist; anything else would leave the timer switched off.
  if (state_.startingUp || index < 0 || index > 3) return;
  Restyle([&] { store_.SetAlignment(index); });
}

void TrayForm::setBold(int index) {
  if (state_.startingUp || index < 0 || index > 1) return;
  Restyle([&] { store_.SetFontWeight(index); });
}

void TrayForm::setVH(int index) {
  news_.news().ResetVerticalLine();
  if (state_.startingUp || index < 0 || index > 1) return;
  Restyle([&] { store_.SetScrollMode(index); });
}

void TrayForm::SetChkTime(int64_t value) {
  if (value < 0 || value > 2 || value == store_.values().clockCheck()) return;
  store_.SetClock(value);
}

void TrayForm::SetChkAni(int64_t value) {
  if (value < 0 || value > 2 || value == store_.values().animationCheck()) return;
  store_.SetAnimation(value);
  caption_.chkAni_Click();
}

void TrayForm::SetShadow(int64_t value) { store_.SetShadow(value); }

void TrayForm::SetNewsInterval(int listIndex) {
  if (listIndex < 0 || static_cast<size_t>(listIndex) >= kNewsIntervals.size()) return;
  store_.SetNewsInterval(IntOrZero(kNewsIntervals[static_cast<size_t>(listIndex)]));
}

std::optional<COLORREF> TrayForm::PickColor(HWND owner) {
  CHOOSECOLORA record{};
  static_assert(sizeof(void*) != 4 || sizeof record == 36, "the colour dialog takes the 36-byte record");
  // The dialog edits a copy; the run's custom colours change only when the user confirms.
  std::array<COLORREF, 16> custom{};
  for (size_t i = 0; i < custom.size(); ++i) custom[i] = customColors_[i];
  record.lStructSize = sizeof record;
  record.hwndOwner = owner ? owner : hwnd_;
  record.hInstance = reinterpret_cast<HWND>(GetModuleHandleW(nullptr));
  record.rgbResult = 0;
  record.lpCustColors = custom.data();
  record.Flags = 0;
  ModalRun run(nullptr, record.hwndOwner);
  if (!ChooseColorA(&record)) return std::nullopt;
  for (size_t i = 0; i < custom.size(); ++i) customColors_[i] = custom[i];
  return record.rgbResult;
}

void TrayForm::cmdColor_Click(HWND owner) {
  if (auto color = PickColor(owner)) store_.SetTextColor(static_cast<int32_t>(*color));
  caption_.InitialBar();
}

void TrayForm::cmdShadowColor_Click(HWND owner) {
  if (auto color = PickColor(owner)) store_.SetShadowColor(static_cast<int32_t>(*color));
  caption_.InitialBar();
}

std::u16string TrayForm::cmdfix_Click(HWND owner, bool raiseToCaption) {
  std::u16string filter = u"画像ﾌｧｲﾙ(*.*)";
  filter += u'\0';
  filter += store_.values().offerGif ? u"*.bmp;*.jpg;*.jpeg;*.wmf;*.gif" : u"*.bmp;*.jpg;*.jpeg;*.wmf";
  filter += u'\0';
  std::u16string textures = options_.programDir + u"\\Texture";
  std::u16string start = DirectoryExists(textures) ? textures : CurrentDirectory();
  std::u16string path = ShowOpenDialog(owner, filter, start);
  if (TrimBlanks(path).empty()) return {};
  if (!ChangePicture(path, raiseToCaption)) {
    ShowPictureFailure(owner, path);
    return {};
  }
  return path;
}

bool TrayForm::ChangePicture(const std::u16string& path, bool raiseToCaption) {
  if (!caption_.ChangePicture(path, raiseToCaption)) return false;
  store_.SetPicture(path);
  return true;
}

bool TrayForm::DropPicture(HWND owner, const std::u16string& path) {
  if (ChangePicture(path, true)) {
    ShowSettings();
    return true;
  }
  ShowPictureFailure(owner, path);
  return false;
}

void TrayForm::ShowPictureFailure(HWND owner, const std::u16string& path) const {
  std::u16string message = u"画像として読み込めないファイルです。背景画像は変更されません。\r\n" + path;
  MessageBoxW(owner, Wide(message), L"Lumbrelｲﾝﾌｫﾒｰｼｮﾝ", MB_OK | MB_ICONEXCLAMATION);
}

void TrayForm::mnuClock_Click(HWND owner) {
  if (clockDialog_) {  // open already: bring it to the front
    if (clockDialog_->hwnd()) SetForegroundWindow(clockDialog_->hwnd());
    return;
  }
  clockDialog_ = std::make_unique<ClockDialog>(store_);
  clockDialog_->ShowModal(owner ? owner : hwnd_);
  clockDialog_.reset();
}

void TrayForm::mnuHelp_Click() { OpenDocument(hwnd_, options_.programDir + u"\\lumhelp.chm"); }

void TrayForm::cmdAbout_Click() { aboutBox().ShowModeless(hwnd_); }

}  // namespace lum
