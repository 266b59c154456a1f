#include "app/caption_cycle.h"

#include <algorithm>

#include "anim/animation_frames.h"
#include "config/caption_mode.h"
#include "config/settings_values.h"
#include "imaging/picture_file.h"
#include "platform/dwm.h"
#include "platform/high_contrast.h"
#include "platform/shell.h"
#include "render/repaint_cycle.h"

namespace lum {

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

CaptionCycle::CaptionCycle(const SettingsStore& store, NewsTicker* ticker, bool steadyPainter)
    : store_(store), ticker_(ticker), steadyPainter_(steadyPainter) {
  renderer_.SetTicker(ticker_);
  picActive_.resize(2);  // element 0 is the template, element 1 the first frame
}

CaptionCycle::~CaptionCycle() { Stop(); }

void CaptionCycle::Attach(HWND form, UINT wakeMessage, HICON ownIcon, DWORD overlayOwnProcess) {
  form_ = form;
  wakeMessage_ = wakeMessage;
  overlayOwnProcess_ = overlayOwnProcess;
  renderer_.SetOwnIcon(ownIcon);
  captionButtonHeight_ = GetSystemMetrics(SM_CYSIZE);
  stopped_ = false;
  highContrast_ = HighContrastOn();
}

HBITMAP CaptionCycle::picActive(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= picActive_.size()) return nullptr;
  return picActive_[static_cast<size_t>(index)].get();
}

void CaptionCycle::SetFrames(std::vector<ScopedBitmap> frames) {
  picActive_.clear();
  picActive_.emplace_back();
  for (auto& frame : frames) picActive_.push_back(std::move(frame));
  if (picActive_.size() < 2) picActive_.emplace_back();
  frameCount_ = static_cast<int32_t>(frames.size());
  renderer_.OnPicturesReplaced();
}

void CaptionCycle::TakeStyle() {
  const uint32_t generation = store_.generation();
  if (styleGeneration_ == generation) return;
  styleGeneration_ = generation;
  const CaptionStyle style = CaptionStyleOf(store_.values());
  renderer_.SetStyle(style);
  if (ticker_) ticker_->SetStyle(style);
}

void CaptionCycle::InitialBar() {
  TakeStyle();
  HBITMAP picture;
  if (frameCounter_ > 0) {
    frameCounter_ = AdvanceFrame(frameCounter_, frameCount_);
    picture = picActive(frameCounter_);
  } else {
    picture = picActive(1);
  }
  renderer_.SetCaptionPicture(picture);
  renderer_.SetTiling(true);
}

void CaptionCycle::chkAni_Click() { frameCounter_ = store_.values().animationCheck(); }

void CaptionCycle::LoadPicture(const std::u16string& path) {
  if (!TrimBlanks(path).empty()) {
    if (HBITMAP picture = LoadPictureFile(path)) picBase_.reset(picture);
  }
  if (FileExists(path)) picturePath_ = path;
}

void CaptionCycle::PicAni() {
  // The frames are kept as bitmaps of their own, so a tick only swaps a handle. At a scale other
  // than 100 % the picture's bands are cut at their designed height and each is stretched,
  // smoothly, to the caption's height (and its width as much); at 100 % they are copied.
  const int32_t frameHeight = captionButtonHeight_;
  const int32_t bandHeight = DesignBandHeight(frameHeight, ScreenDpi(LOGPIXELSY));
  std::vector<ScopedBitmap> frames;
  BITMAP info{};
  if (picBase_ && GetObjectA(picBase_.get(), sizeof info, &info) && info.bmWidth > 0 && frameHeight > 0) {
    const int32_t count = AnimationFrameCount(info.bmHeight, bandHeight);
    const bool stretched = bandHeight != frameHeight;
    const int32_t frameWidth = stretched ? std::max(1, MulDiv(info.bmWidth, frameHeight, bandHeight)) : info.bmWidth;
    ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
    ScopedMemoryDC source(screen.get());
    ScopedMemoryDC target(screen.get());
    ScopedMemoryDC single(screen.get());
    ScopedBitmap band(stretched ? CreateCompatibleBitmap(screen.get(), info.bmWidth, bandHeight) : nullptr);
    ScopedSelect sourceSelected(source.get(), picBase_.get());
    ScopedSelect bandSelected(single.get(), band.get());
    for (int32_t i = 1; i <= count; ++i) {
      ScopedBitmap frame(CreateCompatibleBitmap(screen.get(), frameWidth, frameHeight));
      if (frame) {
        // A frame below the picture's end (a picture lower than one band) stays black.
        ScopedSelect selected(target.get(), frame.get());
        PatBlt(target.get(), 0, 0, frameWidth, frameHeight, BLACKNESS);
        if (!stretched) {
          BitBlt(target.get(), 0, 0, info.bmWidth, frameHeight, source.get(), 0, (i - 1) * frameHeight, SRCCOPY);
        } else if (band) {
          // The band on its own first, so that the smoothing takes in no row of its neighbours.
          PatBlt(single.get(), 0, 0, info.bmWidth, bandHeight, BLACKNESS);
          BitBlt(single.get(), 0, 0, info.bmWidth, bandHeight, source.get(), 0, (i - 1) * bandHeight, SRCCOPY);
          SetStretchBltMode(target.get(), HALFTONE);
          SetBrushOrgEx(target.get(), 0, 0, nullptr);
          StretchBlt(target.get(), 0, 0, frameWidth, frameHeight, single.get(), 0, 0, info.bmWidth, bandHeight,
                     SRCCOPY);
        }
      }
      frames.push_back(std::move(frame));
    }
  }
  SetFrames(std::move(frames));
  chkAni_Click();
}

bool CaptionCycle::ChangePicture(const std::u16string& path, bool raiseToCaption) {
  // Load first: a file that is no picture changes nothing.
  ScopedBitmap picture(LoadPictureFile(path));
  if (!picture) return false;
  if (raiseToCaption)
    picture = RaisedTo(std::move(picture), DesignBandHeight(captionButtonHeight_, ScreenDpi(LOGPIXELSY)));
  picActive_[phase_ ? 1 : 0].reset();
  picBase_ = std::move(picture);
  picturePath_ = path;
  PicAni();
  InitialBar();
  return true;
}

void CaptionCycle::EnableTimer1(bool enabled) {
  if (!form_) return;
  TakeBackSteadyCaption();
  if (enabled && !stopped_) {
    timer1Enabled_ = SetTimer(form_, kTimer1Id, kTimer1Interval, nullptr) != 0;
  } else {
    KillTimer(form_, kTimer1Id);
    timer1Enabled_ = false;
  }
}

void CaptionCycle::OnSteadyWake() {
  if (timer1Enabled_ && SetTimer(form_, kTimer1Id, kTimer1Interval, nullptr)) Timer1_Timer();
}

void CaptionCycle::Timer1_Timer() {
  // In high contrast every caption is the system's.
  if (highContrast_) {
    if (overlay_) overlay_->Hide();
    renderer_.ReleaseWindowDC();
    return;
  }
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
    renderer_.ReleaseWindowDC();
    return;
  }
  // A decoration drawn while the window moves or changes its size would show at an old place
  // or width: until it stands still the window's own caption shows.
  RECT rect{};
  if (!GetWindowRect(foreground, &rect)) {
    if (overlay_) overlay_->Hide();
    return;
  }
  if (Moving(foreground, rect) || following_) {
    if (overlay_) overlay_->Hide();
    return;
  }
  // As the renderer last read it: again whenever the system's settings change.
  int buttonHeight = renderer_.metrics().buttonHeight;
  if (buttonHeight != captionButtonHeight_) {
    captionButtonHeight_ = buttonHeight;
    PicAni();
    // The frames just handed over are gone; hand over their successors before painting.
    renderer_.SetCaptionPicture(picActive(frameCounter_ > 0 ? frameCounter_ : 1));
  }
  // The overlay refreshes its content here; the window events move and hide it in between.
  if (overlay_) {
    overlay_->Refresh(foreground, style, &rect);
    return;
  }
  // A window's class never changes: asked once per foreground window, not on every tick.
  if (foreground != classCheckedWindow_) {
    paintableClass_ = IsPaintableWindow(foreground);
    classCheckedWindow_ = foreground;
  }
  if (!paintableClass_) {
    renderer_.ReleaseWindowDC();
    return;
  }
  renderer_.RepaintCaption(foreground, style, &rect);
  HandOverSteadyCaption();
}

bool CaptionCycle::Moving(HWND window, const RECT& now) {
  const bool moved = window == watched_ && !EqualRect(&now, &watchedRect_);
  watched_ = window;
  watchedRect_ = now;
  if (moved) StartFollowing();
  return moved;
}

void CaptionCycle::StartFollowing() {
  if (!following_ && form_) following_ = SetTimer(form_, kFollowTimerId, kFollowIntervalMs, nullptr) != 0;
}

namespace {
CaptionCycle* hookedCycle = nullptr;  // the one cycle whose overlay the mouse hook serves
}

LRESULT CALLBACK CaptionCycle::OnMouse(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && hookedCycle && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN))
    hookedCycle->OnButtonDown(reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CaptionCycle::HookMouse(bool on) {
  if (on && !mouseHook_ && !hookedCycle) {
    mouseHook_ = SetWindowsHookExW(WH_MOUSE_LL, OnMouse, GetModuleHandleW(nullptr), 0);
    if (mouseHook_) hookedCycle = this;
  } else if (!on && mouseHook_) {
    UnhookWindowsHookEx(mouseHook_);
    mouseHook_ = nullptr;
    hookedCycle = nullptr;
  }
}

void CaptionCycle::OnButtonDown(POINT at) {
  if (!overlay_ || !overlay_->visible() || !watched_) return;
  RECT window{}, client{};
  if (!GetWindowRect(watched_, &window) || !PtInRect(&window, at)) return;
  // Not in the client area: the frame or the caption, where a press may begin a drag or resize.
  if (GetClientRect(watched_, &client) && MapWindowPoints(watched_, nullptr, reinterpret_cast<POINT*>(&client), 2) &&
      PtInRect(&client, at))
    return;
  overlay_->Hide();
  StartFollowing();
}

void CaptionCycle::OnFollowTimer() {
  RECT now{};
  const bool still = !IsWindow(watched_) || !GetWindowRect(watched_, &now) || EqualRect(&now, &watchedRect_);
  watchedRect_ = now;
  if (!still && overlay_) overlay_->Hide();
  // A drag that pauses goes on while the button is held: shown in the pause, the decoration
  // would stand at the old place once the mouse moves on, until the next tick.
  const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  if (!still || GetAsyncKeyState(button) < 0) return;
  // Stood still for one look: decorated again at once, not at the next tick.
  StopFollowing();
  if (timer1Enabled_ && !stopped_) Timer1_Timer();
}

void CaptionCycle::StopFollowing() {
  if (following_ && form_) KillTimer(form_, kFollowTimerId);
  following_ = false;
}

void CaptionCycle::HandOverSteadyCaption() {
  // Only a caption that stays the same from tick to tick: no animation, no ticker.
  if (!steadyPainter_ || stopped_ || !timer1Enabled_ || frameCounter_ > 0 || renderer_.style().newsOn) return;
  auto facts = renderer_.PaintedFacts();
  if (!facts || !styleGeneration_) return;
  facts->generation = *styleGeneration_;
  if (!steady_)
    steady_ = std::make_unique<SteadyPainter>(form_, wakeMessage_, kTimer1Interval, &store_.generationCounter());
  if (!steady_->Publish(*facts, renderer_.composedDC())) return;
  // The painter takes its own DC; this thread keeps none while it does not paint.
  KillTimer(form_, kTimer1Id);
  renderer_.ReleaseWindowDC();
}

void CaptionCycle::TakeBackSteadyCaption() {
  if (steady_ && steady_->Withdraw() && timer1Enabled_) SetTimer(form_, kTimer1Id, kTimer1Interval, nullptr);
}

void CaptionCycle::ChooseCaptionMode(std::u16string_view overlayValue) {
  // In high contrast there is no overlay, so that no window event can bring it back to sight.
  const bool overlay = !highContrast_ && lum::ChooseCaptionMode(overlayValue, DwmApi::Get().CompositionEnabled()) ==
                                             CaptionMode::kOverlay;
  if (overlay == (overlay_ != nullptr)) return;
  TakeBackSteadyCaption();
  if (!overlay) {
    // The overlay's window goes with it; the next tick paints the title bar.
    HookMouse(false);
    overlay_.reset();
    return;
  }
  overlay_ = std::make_unique<CaptionOverlay>(renderer_, overlayOwnProcess_);
  // Without its window the title bar is painted as before.
  if (!overlay_->Create()) {
    overlay_.reset();
    return;
  }
  HookMouse(true);
  // A title bar painted until now is the window's own again: its owner draws its frame afresh.
  if (classCheckedWindow_ && IsWindow(classCheckedWindow_))
    RedrawWindow(classCheckedWindow_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  classCheckedWindow_ = nullptr;
}

void CaptionCycle::OnSystemSettingsChanged(bool displayChanged) {
  // What the painter keeps was composed with the old ones.
  TakeBackSteadyCaption();
  renderer_.OnSystemSettingsChanged(displayChanged);
  if (overlay_) overlay_->OnSystemSettingsChanged();
  // High contrast switched on: the overlay goes, and the title bar painted last is its own again
  // at once. Switched off, the overlay comes back where it was chosen, and the next tick decorates.
  const bool highContrast = HighContrastOn();
  if (highContrast == highContrast_) return;
  highContrast_ = highContrast;
  ChooseCaptionMode(store_.values().overlay);
  if (!highContrast) return;
  renderer_.ReleaseWindowDC();
  if (classCheckedWindow_ && IsWindow(classCheckedWindow_))
    RedrawWindow(classCheckedWindow_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  classCheckedWindow_ = nullptr;
}

void CaptionCycle::Stop() {
  HookMouse(false);
  StopFollowing();
  EnableTimer1(false);
  stopped_ = true;
  steady_.reset();
  overlay_.reset();
}

}  // namespace lum
