#include "app/tray_form.h"

#include <shellapi.h>

#include "about/about_box.h"
#include "anim/animation_frames.h"
#include "app/tray_icon.h"
#include "clock/clock_dialog.h"
#include "config/caption_mode.h"
#include "config/settings_values.h"
#include "imaging/picture_file.h"
#include "platform/dwm.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "render/repaint_cycle.h"
#include "settings/settings_dialog.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {
// WM_DWMCOMPOSITIONCHANGED, sent from Windows Vista on (the headers declare it only for builds
// that require Vista).
constexpr UINT kDwmCompositionChanged = 0x031E;

constexpr wchar_t kWindowClass[] = L"LumbrelForm1";
constexpr char kCaption[] = "Lumbrel";

}  // namespace

TrayForm::TrayForm(SharedSettings& settings, TrayFormOptions options)
    : settings_(settings),
      options_(std::move(options)),
      ini_(options_.programDir + u"\\" + kIniName),
      renderer_(&settings_),
      news_(settings_, controls_.chkNews),
      lastFetchMinute_(MinuteNumber(1899, 12, 30, 0, 0)),
      lastAttemptMinute_(lastFetchMinute_) {
  renderer_.SetTicker(&news_);
  news_.SetTxtNews(InitialNewsNotice());
  news_.SetTxtTempNews(InitialNewsNotice());
  picActive_.resize(2);  // element 0 is the template, element 1 the first frame
}

TrayForm::~TrayForm() {
  Form_Unload();
  steady_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  if (trayMenu_) DestroyMenu(trayMenu_);
}

HBITMAP TrayForm::picActive(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= picActive_.size()) return nullptr;
  return picActive_[static_cast<size_t>(index)].get();
}

void TrayForm::SetFrames(std::vector<ScopedBitmap> frames) {
  picActive_.clear();
  picActive_.emplace_back();
  for (auto& frame : frames) picActive_.push_back(std::move(frame));
  if (picActive_.size() < 2) picActive_.emplace_back();
  frameCount_ = static_cast<int32_t>(frames.size());
  renderer_.OnPicturesReplaced();
}

bool TrayForm::CreateFormWindow() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (!icon_) icon_ = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  renderer_.SetOwnIcon(icon_);
  RegisterFormClass<TrayForm>(kWindowClass, icon_);
  hwnd_ = CreateWindowExW(0, kWindowClass, L"Lumbrel", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr, instance,
                          this);
  return hwnd_ != nullptr;
}

LRESULT TrayForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages sent to the form (the system's setting and display changes among them) pass no
  // message loop: the caption comes back to the window thread's ticks here too.
  TakeBackSteadyCaption();
  switch (message) {
    case kSteadyWakeMessage:
      // Something the caption shows changed: the window thread ticks again, from now.
      if (timer1Enabled_ && SetTimer(hwnd_, kTimer1Id, kTimer1Interval, nullptr)) Timer1_Timer();
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1Id) Timer1_Timer();
      if (wParam == kTimNewsId) timNews_Timer();
      return 0;
    case kTrayCallbackMessage:
      // The tray icon reports its mouse messages in the low word of lParam.
      OnTrayMessage(LOWORD(lParam));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0) OnMenuCommand(LOWORD(wParam));
      return 0;
    case WM_SIZE:
      // Minimised (shown by mistake, say): back out of the way.
      if (wParam == SIZE_MINIMIZED) {
        SetWindowTopmost(hwnd_, 0);
        ShowWindow(hwnd_, SW_HIDE);
      }
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
    case kDwmCompositionChanged:
    case WM_DISPLAYCHANGE:
      // The caption font, colours, metrics or display depth the renderer keeps may be out of date.
      renderer_.OnSystemSettingsChanged(message == WM_DISPLAYCHANGE);
      if (overlay_) overlay_->OnSystemSettingsChanged();
      // Composition switched on or off: captions may have to reach the screen the other way.
      if (message == kDwmCompositionChanged && !settings_.startingUp && !quitting_) ChooseCaptionMode();
      break;
    case WM_CLOSE:
    case kQuitRequestMessage:
      subQuit();
      return 0;
    case WM_ENDSESSION:
      // The session ends and the process with it: quit as the menu would, so the overlay and
      // the tray icon go and the settings dialog keeps its place.
      if (wParam) subQuit();
      return 0;
    case kNewsFetchedMessage:
      OnNewsFetched(wParam);
      return 0;
    case kSettingsClosedMessage:
      // The dialog's window has gone; the next left click loads it afresh.
      if (settingsDialog_ && !settingsDialog_->hwnd()) settingsDialog_.reset();
      return 0;
    case WM_DESTROY:
      if (options_.quitMessageLoopOnClose) PostQuitMessage(0);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool TrayForm::Form_Load() {
  // One instance at a time: a second one ends before it reads or writes anything.
  instanceLock_ = ScopedHandle(CreateMutexW(nullptr, FALSE, Wide(options_.instanceName)));
  if (!instanceLock_ || GetLastError() == ERROR_ALREADY_EXISTS) {
    instanceLock_.reset();
    return false;
  }
  if (!hwnd_ && !CreateFormWindow()) return false;

  // The bitmap-data reader has no state of its own yet; channel files arrive later.
  settings_.startingUp = true;
  phase_ = false;
  EnableTimer1(false);
  settings_.captionButtonHeight = GetSystemMetrics(SM_CYSIZE);
  RegisterAsService();
  // The menu is built with every item; loading the channels hides what has no use.
  if (trayMenu_) DestroyMenu(trayMenu_);
  trayMenu_ = BuildTrayMenu();
  channelTable_.assign(1, ChannelRec{});
  LoadChannels(options_.programDir + u"\\News\\", u"*.news");
  StartupEnvironment env;
  env.channelCount = static_cast<int>(channelTable_.size()) - 1;
  if (!FileExists(ini_.path())) CreateDefaultIni();
  // The settings window's place, reset when it lies off the screen.
  const int twipsX = TwipsPerPixel(LOGPIXELSX), twipsY = TwipsPerPixel(LOGPIXELSY);
  env.screenWidthTwips = GetSystemMetrics(SM_CXSCREEN) * twipsX;
  env.screenHeightTwips = GetSystemMetrics(SM_CYSCREEN) * twipsY;
  IniReader reader = ini_.Reader();
  ReadFormPosition(reader, env, controls_);
  SetWindowPos(hwnd_, nullptr, controls_.left / twipsX, controls_.top / twipsY, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LoadStartupPicture();
  PicAni();
  ReadDisplaySettings(reader, env, settings_, controls_);
  if (!controls_.txtNews.empty()) news_.SetTxtNews(controls_.txtNews);
  chkAni_Click();
  // Selecting the option buttons raises their clicks, which only set marks while starting.
  if (controls_.optAligen.selected >= 0) optAligen_Click(controls_.optAligen.selected);
  if (controls_.optBold.selected >= 0) optBold_Click(controls_.optBold.selected);
  if (controls_.optVH.selected >= 0) optVH_Click(controls_.optVH.selected);
  if (env.channelCount < 1) {
    DeleteMenu(trayMenu_, kMnuNewsFirst, MF_BYCOMMAND);  // the channel template
  } else if (controls_.optNews.selected >= 0) {
    optNews_Click(controls_.optNews.selected);
  }
  UpdateMenuMarks();
  ChooseCaptionMode();
  Taskview();
  InitialBar();
  // The first run opens the guide once.
  if (ini_.GetIniString(u"DEFAULT", u"FIRST").empty()) {
    OpenDocument(hwnd_, options_.programDir + u"\\はじめに.txt");
    ini_.Write(u"DEFAULT", u"FIRST", u"1");
  }
  settings_.customColors.fill(0);
  settings_.startingUp = false;
  EnableTimer1(true);
  StartNewsTimer();
  return true;
}

void TrayForm::EnableTimer1(bool enabled) {
  if (!hwnd_) return;
  if (steady_) steady_->Withdraw();
  if (enabled) {
    timer1Enabled_ = SetTimer(hwnd_, kTimer1Id, kTimer1Interval, nullptr) != 0;
  } else {
    KillTimer(hwnd_, kTimer1Id);
    timer1Enabled_ = false;
  }
}

void TrayForm::Form_Unload() {
  if (settings_.startingUp) return;
  quitting_ = true;
  // Timers stop before the icon goes, so no tick paints while the form is taken down.
  if (hwnd_) KillTimer(hwnd_, kTimNewsId);
  timNewsRunning_ = false;
  controls_.timNewsInterval = 0;
  // A fetch still waiting on the network is cut off, not waited for.
  newsFetcher_.Abandon();
  EnableTimer1(false);
  if (steady_) {
    LoopMessageObserver() = nullptr;
    steady_.reset();
  }
  overlay_.reset();
  if (trayAdded_) {
    TrayIconRecord record = MakeTrayIconRecord(hwnd_, icon_, kCaption);
    Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAA>(&record));
    trayAdded_ = false;
  }
  // Every other form goes with the tray form.
  newsWindow_.Unload();
  if (aboutBox_) aboutBox_->Unload();
}

void TrayForm::ChooseCaptionMode() {
  const std::u16string value = ini_.GetIniString(u"DEFAULT", u"OVERLAY");
  const bool overlay = lum::ChooseCaptionMode(value, DwmApi::Get().CompositionEnabled()) == CaptionMode::kOverlay;
  if (overlay == (overlay_ != nullptr)) return;
  if (!overlay) {
    // The overlay's window goes with it; the next tick paints the title bar.
    overlay_.reset();
    return;
  }
  overlay_ = std::make_unique<CaptionOverlay>(renderer_, options_.overlayOwnProcess.value_or(GetCurrentProcessId()));
  // Without its window the title bar is painted as before.
  if (!overlay_->Create()) {
    overlay_.reset();
    return;
  }
  // A title bar painted until now is the window's own again: its owner draws its frame afresh.
  if (classCheckedWindow_ && IsWindow(classCheckedWindow_))
    RedrawWindow(classCheckedWindow_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  classCheckedWindow_ = nullptr;
}

void TrayForm::CreateDefaultIni() const {
  std::string bytes = ToAnsi(DefaultIniText(options_.programDir));
  ScopedHandle file(
      CreateFileW(Wide(ini_.path()), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void TrayForm::LoadStartupPicture() {
  std::u16string path = ini_.GetIniString(u"DEFAULT", u"PICTURE");
  if (!TrimBlanks(path).empty()) {
    if (HBITMAP picture = LoadPictureFile(path)) picBase_.reset(picture);
  }
  if (FileExists(path)) controls_.lblPic = path;
}

void TrayForm::RegisterAsService() const {
  // Only the old consumer versions of Windows export it; elsewhere there is nothing to do.
  using RegisterServiceProcessFn = DWORD(WINAPI*)(DWORD, DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto registerService = kernel ? reinterpret_cast<RegisterServiceProcessFn>(
                                      reinterpret_cast<void*>(GetProcAddress(kernel, "RegisterServiceProcess")))
                                : nullptr;
  if (registerService) registerService(GetCurrentProcessId(), 0);
}

void TrayForm::PicAni() {
  // The frames are kept as bitmaps of their own, so a tick only swaps a handle.
  const int32_t frameHeight = settings_.captionButtonHeight;
  std::vector<ScopedBitmap> frames;
  BITMAP info{};
  if (picBase_ && GetObjectA(picBase_.get(), sizeof info, &info) && info.bmWidth > 0 && frameHeight > 0) {
    const int32_t count = AnimationFrameCount(info.bmHeight, frameHeight);
    ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
    ScopedMemoryDC source(screen.get());
    ScopedMemoryDC target(screen.get());
    ScopedSelect sourceSelected(source.get(), picBase_.get());
    for (int32_t i = 1; i <= count; ++i) {
      ScopedBitmap frame(CreateCompatibleBitmap(screen.get(), info.bmWidth, frameHeight));
      if (frame) {
        // A frame below the picture's end (a picture lower than one band) stays black.
        ScopedSelect selected(target.get(), frame.get());
        PatBlt(target.get(), 0, 0, info.bmWidth, frameHeight, BLACKNESS);
        BitBlt(target.get(), 0, 0, info.bmWidth, frameHeight, source.get(), 0, (i - 1) * frameHeight, SRCCOPY);
      }
      frames.push_back(std::move(frame));
    }
  }
  SetFrames(std::move(frames));
  frameCounter_ = controls_.chkAni.value;
}

void TrayForm::chkAni_Click() {
  frameCounter_ = controls_.chkAni.value;
  if (!settings_.startingUp) ini_.Write(u"DEFAULT", u"ANIMATION", ToDecimal(controls_.chkAni.value));
}

void TrayForm::cmdAnimation_Click() { SetChkAni(controls_.cmdAnimationChecked ? 0 : 1); }

void TrayForm::Taskview() {
  TrayIconRecord record = MakeTrayIconRecord(hwnd_, icon_, kCaption);
  trayAdded_ = Shell_NotifyIconA(NIM_ADD, reinterpret_cast<PNOTIFYICONDATAA>(&record)) != FALSE;
  ShowWindow(hwnd_, SW_HIDE);
}

void TrayForm::InitialBar() {
  renderer_.SetTextColor(settings_.textColor);
  HBITMAP picture;
  if (frameCounter_ > 0) {
    frameCounter_ = AdvanceFrame(frameCounter_, frameCount_);
    picture = picActive(frameCounter_);
  } else {
    picture = picActive(1);
  }
  renderer_.SetCaptionPicture(picture);
  renderer_.SetAlignment(settings_.alignment);
  renderer_.SetBold(settings_.fontWeight != 0);
  renderer_.SetTiling(true);
}

void TrayForm::Timer1_Timer() {
  phase_ = !phase_;
  InitialBar();
  // The overlay also needs the foreground thread's focus, which the same question answers.
  GUITHREADINFO input{};
  input.cbSize = sizeof input;
  HWND foreground = overlay_ && GetGUIThreadInfo(0, &input) ? input.hwndActive : GetForegroundWindow();
  if (overlay_) overlay_->NoteFocus(input.hwndFocus);
  const auto style = foreground ? static_cast<uint32_t>(GetWindowLongA(foreground, GWL_STYLE)) : 0;
  if (!foreground || !HasCaptionFrame(style)) {
    if (overlay_) overlay_->Hide();
    return;
  }
  // As the renderer last read it: again whenever the system's settings change.
  int buttonHeight = renderer_.metrics().buttonHeight;
  if (buttonHeight != settings_.captionButtonHeight) {
    settings_.captionButtonHeight = buttonHeight;
    PicAni();
    // The frames just handed over are gone; hand over their successors before painting.
    renderer_.SetCaptionPicture(picActive(frameCounter_ > 0 ? frameCounter_ : 1));
  }
  // The overlay refreshes its content here; the window events move and hide it in between.
  if (overlay_) {
    overlay_->Refresh(foreground, style);
    return;
  }
  // A window's class never changes: asked once per foreground window, not on every tick.
  if (foreground != classCheckedWindow_) {
    paintableClass_ = IsPaintableWindow(foreground);
    classCheckedWindow_ = foreground;
  }
  if (!paintableClass_) return;
  renderer_.RepaintCaption(foreground, style);
  HandOverSteadyCaption();
}

void TrayForm::HandOverSteadyCaption() {
  // Only a caption that stays the same from tick to tick: no animation, no ticker.
  if (!options_.steadyPainter || quitting_ || !timer1Enabled_ || frameCounter_ > 0 || news_.NewsOn()) return;
  const auto facts = renderer_.PaintedFacts();
  if (!facts) return;
  if (!steady_) {
    steady_ = std::make_unique<SteadyPainter>(hwnd_, kSteadyWakeMessage, kTimer1Interval);
    LoopMessageObserver() = [this](const MSG&) { TakeBackSteadyCaption(); };
  }
  if (steady_->Publish(*facts, renderer_.composedDC())) KillTimer(hwnd_, kTimer1Id);
}

void TrayForm::TakeBackSteadyCaption() {
  if (steady_ && steady_->Withdraw() && timer1Enabled_) SetTimer(hwnd_, kTimer1Id, kTimer1Interval, nullptr);
}

}  // namespace lum
