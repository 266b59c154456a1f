// The settings commands of the tray form: each stores its key in LUM.ini at once.
#include "app/tray_form.h"

#include <commdlg.h>

#include "config/settings_values.h"
#include "imaging/picture_file.h"
#include "platform/dialogs.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {
constexpr std::u16string_view kDefault = u"DEFAULT";
}

void TrayForm::UpdateMenuMarks() {
  if (!trayMenu_) return;
  SetMenuCheck(trayMenu_, kLeftAli, controls_.aligenMarks[0]);
  SetMenuCheck(trayMenu_, kRightAli, controls_.aligenMarks[1]);
  SetMenuCheck(trayMenu_, kCenterAli, controls_.aligenMarks[2]);
  SetMenuCheck(trayMenu_, kNoCaption, controls_.aligenMarks[3]);
  SetMenuCheck(trayMenu_, kNormalFont, controls_.boldMarks[0]);
  SetMenuCheck(trayMenu_, kBoldFont, controls_.boldMarks[1]);
  SetMenuCheck(trayMenu_, kMnuShadow, controls_.mnuShadowChecked);
  SetMenuCheck(trayMenu_, kCmdTimer, controls_.cmdTimerChecked);
  SetMenuCheck(trayMenu_, kCmdAnimation, controls_.cmdAnimationChecked);
}

void TrayForm::SetAligenMarks(int index) {
  if (index < 0 || index > 3) return;
  for (int i = 0; i < 4; ++i) controls_.aligenMarks[static_cast<size_t>(i)] = i == index;
  UpdateMenuMarks();
}

void TrayForm::SetBoldMarks(int index) {
  if (index < 0 || index > 1) return;
  controls_.boldMarks = {index == 0, index == 1};
  controls_.lblColorBold = index == 1;
  UpdateMenuMarks();
}

void TrayForm::optAligen_Click(int index) { setAligen(static_cast<int16_t>(index)); }

void TrayForm::setAligen(int16_t index) {
  SetAligenMarks(index);
  if (settings_.startingUp) return;
  // Only the four buttons exist; anything else would leave the timer switched off.
  if (index < 0 || index > 3) return;
  EnableTimer1(false);
  settings_.alignment = index;
  if (controls_.optAligen.selected != index) {
    // Selecting the button raises its click, which applies the change.
    controls_.optAligen.Select(index);
    optAligen_Click(index);
    return;
  }
  InitialBar();
  if (index != 3) settings_.clockAlignment = index;
  ini_.Write(kDefault, u"ALIGENMENT", ToDecimal(index));
  // With no caption text the clock keeps the last placement it had.
  if (index == 3) ini_.Write(kDefault, u"CLOCKALIGENMENT", ToDecimal(settings_.clockAlignment));
  renderer_.RepaintCaption(hwnd_);
  EnableTimer1(true);
}

void TrayForm::optBold_Click(int index) { setBold(static_cast<int16_t>(index)); }

void TrayForm::setBold(int16_t index) {
  SetBoldMarks(index);
  if (settings_.startingUp) return;
  if (index < 0 || index > 1) return;
  EnableTimer1(false);
  settings_.fontWeight = index;
  if (controls_.optBold.selected != index) {
    controls_.optBold.Select(index);
    optBold_Click(index);
    return;
  }
  InitialBar();
  ini_.Write(kDefault, u"FONT", ToDecimal(index));
  renderer_.RepaintCaption(hwnd_);
  EnableTimer1(true);
}

void TrayForm::SetChkTime(int64_t value) {
  int16_t before = controls_.chkTime.value;
  if (controls_.chkTime.Set(value) && controls_.chkTime.value != before) chkTime_Click();
}

void TrayForm::chkTime_Click() {
  const int16_t value = controls_.chkTime.value;
  settings_.clockFlag = value != 0 ? -1 : 0;
  controls_.cmdTimerChecked = value != 0;
  UpdateMenuMarks();
  ini_.Write(kDefault, u"CLOCK", ToDecimal(value));
}

void TrayForm::cmdTimer_Click() {
  controls_.cmdTimerChecked = !controls_.cmdTimerChecked;
  UpdateMenuMarks();
  SetChkTime(controls_.cmdTimerChecked ? 1 : 0);
}

// The tray twin of the dialog's outline check box: mark, flag and SHADOW stay in step.
void TrayForm::mnuShadow_Click() { SetShadow(controls_.mnuShadowChecked ? 0 : 1); }

std::optional<COLORREF> TrayForm::PickColor(HWND owner) {
  CHOOSECOLORA record{};
  static_assert(sizeof(void*) != 4 || sizeof record == 36, "the colour dialog takes the 36-byte record");
  // The dialog edits a copy; the run's custom colours change only when the user confirms.
  std::array<COLORREF, 16> custom{};
  for (size_t i = 0; i < custom.size(); ++i) custom[i] = settings_.customColors[i];
  record.lStructSize = sizeof record;
  record.hwndOwner = owner ? owner : hwnd_;
  record.hInstance = reinterpret_cast<HWND>(GetModuleHandleW(nullptr));
  record.rgbResult = 0;
  record.lpCustColors = custom.data();
  record.Flags = 0;
  ModalRun run(nullptr, record.hwndOwner);
  if (!ChooseColorA(&record)) return std::nullopt;
  for (size_t i = 0; i < custom.size(); ++i) settings_.customColors[i] = custom[i];
  return record.rgbResult;
}

void TrayForm::cmdColor_Click(HWND owner) {
  if (auto color = PickColor(owner)) {
    settings_.textColor = static_cast<int32_t>(*color);
    controls_.lblColorFore = settings_.textColor;
    ini_.Write(kDefault, u"COLOR", ToDecimal(settings_.textColor));
  }
  InitialBar();
}

void TrayForm::cmdShadowColor_Click(HWND owner) {
  if (auto color = PickColor(owner)) {
    settings_.shadowColor = static_cast<int32_t>(*color);
    controls_.lblShadowFore = settings_.shadowColor;
    ini_.Write(kDefault, u"SHADOWCOLOR", ToDecimal(settings_.shadowColor));
  }
  InitialBar();
}

void TrayForm::SetChkAni(int64_t value) {
  const int16_t before = controls_.chkAni.value;
  if (!controls_.chkAni.Set(value)) return;
  controls_.cmdAnimationChecked = value != 0;
  UpdateMenuMarks();
  if (controls_.chkAni.value != before) chkAni_Click();
}

void TrayForm::SetShadow(int16_t value) {
  controls_.chkShadow.Set(value);
  controls_.mnuShadowChecked = value != 0;
  settings_.shadow = value != 0;
  UpdateMenuMarks();
  ini_.Write(kDefault, u"SHADOW", ToDecimal(value));
}

void TrayForm::SetNewsInterval(int32_t minutes) {
  settings_.newsInterval = minutes;
  controls_.cmbNewsSelected = -1;
  for (size_t i = 0; i < controls_.cmbNews.size(); ++i)
    if (controls_.cmbNews[i] == ToDecimal(minutes)) controls_.cmbNewsSelected = static_cast<int>(i);
  ini_.Write(kDefault, u"TIMER", ToDecimal(minutes));
}

std::u16string TrayForm::cmdfix_Click(HWND owner, bool raiseToCaption) {
  if (!owner) owner = hwnd_;
  const bool offerGif = ini_.GetIniString(u"CUSTOMIZE", u"DIRECT") == u"1";
  std::u16string filter = u"画像ﾌｧｲﾙ(*.*)";
  filter += u'\0';
  filter += offerGif ? u"*.bmp;*.jpg;*.jpeg;*.wmf;*.gif" : u"*.bmp;*.jpg;*.jpeg;*.wmf";
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

void TrayForm::ShowPictureFailure(HWND owner, const std::u16string& path) const {
  std::u16string message = u"画像として読み込めないファイルです。背景画像は変更されません。\r\n" + path;
  MessageBoxW(owner, Wide(message), L"Lumbrelｲﾝﾌｫﾒｰｼｮﾝ", MB_OK | MB_ICONEXCLAMATION);
}

namespace {

// A picture lower than `height` on a taller bitmap, the added rows in the button-face colour.
ScopedBitmap RaisedTo(ScopedBitmap picture, int height) {
  BITMAP info{};
  if (!GetObjectW(picture.get(), sizeof info, &info) || info.bmHeight >= height || info.bmWidth <= 0) return picture;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  ScopedBitmap raised(CreateCompatibleBitmap(screen.get(), info.bmWidth, height));
  if (!raised) return picture;
  ScopedMemoryDC source(screen.get()), target(screen.get());
  ScopedSelect sourceSelected(source.get(), picture.get()), targetSelected(target.get(), raised.get());
  RECT all{0, 0, info.bmWidth, height};
  FillRect(target.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
  return raised;
}

}  // namespace

bool TrayForm::ChangePicture(const std::u16string& path, bool raiseToCaption) {
  // Load first: a file that is no picture changes nothing, PICTURE included.
  ScopedBitmap picture(LoadPictureFile(path));
  if (!picture) return false;
  if (raiseToCaption) picture = RaisedTo(std::move(picture), settings_.captionButtonHeight);
  picActive_[phase_ ? 1 : 0].reset();
  picBase_ = std::move(picture);
  ini_.Write(kDefault, u"PICTURE", path);
  PicAni();
  frameCounter_ = controls_.chkAni.value;
  InitialBar();
  return true;
}

}  // namespace lum
