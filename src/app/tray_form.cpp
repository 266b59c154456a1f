#include "app/tray_form.h"

#include "about/about_box.h"
#include "clock/clock_dialog.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/settings_dialog.h"

namespace lum {

namespace {
// WM_DWMCOMPOSITIONCHANGED, sent from Windows Vista on (the headers declare it only for builds
// that require Vista).
constexpr UINT kDwmCompositionChanged = 0x031E;

constexpr wchar_t kWindowClass[] = L"LumbrelForm1";
}  // namespace

TrayForm::TrayForm(SettingsStore& store, TrayFormOptions options)
    : store_(store),
      options_(std::move(options)),
      ini_(options_.programDir + u"\\" + kIniName),
      news_(store_, state_, options_.programDir),
      caption_(store_, &news_.news(), options_.steadyPainter) {}

TrayForm::~TrayForm() {
  Form_Unload();
  caption_.Stop();
  if (hwnd_) DestroyWindow(hwnd_);
}

bool TrayForm::CreateFormWindow() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (!icon_) icon_ = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  RegisterFormClass<TrayForm>(kWindowClass, icon_);
  hwnd_ = CreateWindowExW(0, kWindowClass, L"Lumbrel", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr, instance,
                          this);
  return hwnd_ != nullptr;
}

LRESULT TrayForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Broadcast when the taskbar is made again (Explorer restarted, say): it has lost the icon.
  if (message != 0 && message == trayIcon_.taskbarCreatedMessage()) {
    if (!state_.quitting) trayIcon_.OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case kSteadyWakeMessage:
      caption_.OnSteadyWake();
      return 0;
    case WM_TIMER:
      if (wParam == CaptionCycle::kTimer1Id) caption_.Timer1_Timer();
      if (wParam == NewsController::kTimNewsId) news_.timNews_Timer();
      if (wParam == TrayIcon::kRetryTimerId) trayIcon_.OnRetryTimer();
      if (wParam == CaptionCycle::kFollowTimerId) caption_.OnFollowTimer();
      return 0;
    case kTrayCallbackMessage:
      // The tray icon reports its mouse and key events in the low word of lParam.
      OnTrayMessage(LOWORD(lParam));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0) RunMenuCommand(LOWORD(wParam));
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
      caption_.OnSystemSettingsChanged(message == WM_DISPLAYCHANGE);
      // Composition switched on or off: captions may have to reach the screen the other way.
      if (message == kDwmCompositionChanged && !state_.startingUp && !state_.quitting)
        caption_.ChooseCaptionMode(store_.values().overlay);
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
    case NewsController::kNewsFetchedMessage:
      news_.OnNewsFetched(wParam);
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

  state_.startingUp = true;
  caption_.Attach(hwnd_, kSteadyWakeMessage, icon_, options_.overlayOwnProcess.value_or(GetCurrentProcessId()));
  caption_.EnableTimer1(false);
  RegisterAsService();
  // The menu is built with every item; loading the channels hides what has no use.
  trayIcon_.Create(hwnd_, icon_);
  news_.Attach(hwnd_, &trayIcon_);
  news_.LoadChannels(options_.programDir + u"\\News\\", u"*.news");
  if (!FileExists(ini_.path())) CreateDefaultIni();
  // LUM.ini is read here once; every change is written through the store from now on.
  StartupEnvironment env;
  env.channelCount = static_cast<int>(news_.channelCount());
  env.screenWidthTwips = TwipsOfX(GetSystemMetrics(SM_CXSCREEN));
  env.screenHeightTwips = TwipsOfY(GetSystemMetrics(SM_CYSCREEN));
  store_.Load(ini_.Reader(), ini_.Writer(), env);
  const Settings& s = store_.values();
  SetWindowPos(hwnd_, nullptr, PixelsX(s.left), PixelsY(s.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  caption_.LoadPicture(s.picture);
  caption_.PicAni();
  news_.Start();
  ShowSettings();
  caption_.ChooseCaptionMode(s.overlay);
  trayIcon_.Add();
  ShowWindow(hwnd_, SW_HIDE);
  caption_.InitialBar();
  // The first run opens the guide once.
  if (!s.firstRunDone) {
    OpenDocument(hwnd_, options_.programDir + u"\\はじめに.txt");
    store_.SetFirstRunDone();
  }
  customColors_.fill(0);
  state_.startingUp = false;
  caption_.EnableTimer1(true);
  news_.StartTimer();
  return true;
}

void TrayForm::Form_Unload() {
  if (state_.startingUp) return;
  state_.quitting = true;
  // Timers stop before the icon goes, so no tick paints while the form is taken down; a fetch
  // still waiting on the network is cut off, not waited for. Every other form goes too.
  news_.Stop();
  caption_.Stop();
  trayIcon_.Remove();
  if (aboutBox_) aboutBox_->Unload();
}

void TrayForm::subQuit() {
  state_.quitting = true;
  // The settings dialog goes first and saves its place.
  if (settingsDialog_ && settingsDialog_->hwnd()) DestroyWindow(settingsDialog_->hwnd());
  settingsDialog_.reset();
  Form_Unload();
  if (hwnd_) DestroyWindow(hwnd_);
}

void TrayForm::CreateDefaultIni() const {
  const std::u16string text = DefaultIniText(options_.programDir);
  // A program folder the code page cannot write (an English Windows, a Japanese folder name).
  if (!FitsAnsi(text)) {
    WriteUnicodeFile(ini_.path(), text);
    return;
  }
  std::string bytes = ToAnsi(text);
  ScopedHandle file(
      CreateFileW(Wide(ini_.path()), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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

void TrayForm::OnTrayMessage(UINT event) {
  const TrayIcon::Request request = trayIcon_.RequestOf(event);
  if (request == TrayIcon::Request::kNothing || state_.quitting) return;
  if (request == TrayIcon::Request::kSettingsWindow) return OpenSettingsDialog();
  // While a modal window is open, or the settings dialog (which carries every command itself),
  // the icon brings that window forward instead of the menu.
  ModalRun* run = ModalRun::Current();
  HWND forward = run && run->modal() ? run->modal() : settingsDialog_ ? settingsDialog_->hwnd() : nullptr;
  if (forward) {
    ForceForeground(forward);
    return;
  }
  trayIcon_.ShowMenu();
}

void TrayForm::OpenSettingsDialog() {
  if (state_.quitting) return;
  if (!settingsDialog_) {
    settingsDialog_ = std::make_unique<SettingsDialog>(*this, store_);
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

AboutBox& TrayForm::aboutBox() {
  if (!aboutBox_) aboutBox_ = std::make_unique<AboutBox>();
  return *aboutBox_;
}

void TrayForm::ShowSettings() {
  trayIcon_.ShowMarks(store_.values(), news_.channelCount());
  caption_.TakeStyle();
  if (settingsDialog_) settingsDialog_->ShowSettings();
}

}  // namespace lum
