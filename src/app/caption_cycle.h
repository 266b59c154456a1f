// The 180 ms repaint cycle: the foreground window's caption painted in its title bar or shown
// in the overlay, the animation frames cut from the background picture, and the steady painter
// that keeps an unchanged caption painted while the window thread sleeps.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "news/news_ticker.h"
#include "platform/scoped_win.h"
#include "render/caption_overlay.h"
#include "render/caption_renderer.h"
#include "render/steady_painter.h"

namespace lum {

class CaptionCycle {
 public:
  static constexpr UINT kTimer1Id = 1;
  static constexpr UINT kTimer1Interval = 180;
  // While the window in front moves or changes its size, its caption is not decorated (its own
  // shows) and the cycle looks at it this often until it has stood still for one look.
  static constexpr UINT kFollowTimerId = 4;
  static constexpr UINT kFollowIntervalMs = 16;

  // `ticker` draws the news into the caption; `steadyPainter` lets an unchanged caption be
  // kept painted from a thread of its own (see SteadyPainter).
  CaptionCycle(const SettingsStore& store, NewsTicker* ticker, bool steadyPainter);
  ~CaptionCycle();
  CaptionCycle(const CaptionCycle&) = delete;
  CaptionCycle& operator=(const CaptionCycle&) = delete;

  // The form whose timer drives the cycle and whose message `wakeMessage` the steady painter
  // posts; `ownIcon` is shown in captions with the icon option; the overlay leaves the windows
  // of `overlayOwnProcess` alone.
  void Attach(HWND form, UINT wakeMessage, HICON ownIcon, DWORD overlayOwnProcess);

  void Timer1_Timer();
  void OnFollowTimer();
  bool following() const { return following_; }
  // A mouse button pressed at `at` (screen coordinates). On the frame or the caption of the
  // overlay's target it may begin a drag, which Wine announces by no event: the overlay hides
  // at once and the cycle follows the window until the button is up and the window still.
  void OnButtonDown(POINT at);
  // The current animation frame to the renderer, and the settings' style when they changed.
  void InitialBar();
  // The settings' style to the renderer and the ticker, when the store's generation moved on.
  void TakeStyle();
  // Cuts the picture into caption-high frames, one bitmap per band.
  void PicAni();
  // The animation starts again from the frame ANIMATION names (0: off).
  void chkAni_Click();
  void EnableTimer1(bool enabled);
  bool timer1Enabled() const { return timer1Enabled_; }
  // The steady painter handed the caption back: the window thread ticks again, from now.
  void OnSteadyWake();
  // Whether the steady painter keeps the caption painted while the window thread sleeps.
  bool steadyServing() const { return steady_ && steady_->serving(); }
  // Paints the caption of `window` at once, outside the tick.
  void RepaintNow(HWND window) { renderer_.RepaintCaption(window); }

  // The picture at start-up; nothing when the file is no picture.
  void LoadPicture(const std::u16string& path);
  // Loads a picture file as the caption background, raised to the caption buttons' height when
  // asked; false (and nothing changed) when the file is not a picture.
  bool ChangePicture(const std::u16string& path, bool raiseToCaption);
  // The picture file shown; empty when there is none.
  const std::u16string& picturePath() const { return picturePath_; }

  // [DEFAULT] OVERLAY and the desktop decide how captions reach the screen; in high contrast
  // there is no overlay.
  void ChooseCaptionMode(std::u16string_view overlayValue);
  // The caption font, colours, metrics or display depth may have changed, or high contrast
  // been switched on or off.
  void OnSystemSettingsChanged(bool displayChanged);
  // The run ends: no tick, no painter, no overlay.
  void Stop();

  int32_t captionButtonHeight() const { return captionButtonHeight_; }
  CaptionRenderer& renderer() { return renderer_; }
  // The overlay that shows the caption where title bars cannot be painted; null in the
  // title-bar mode.
  CaptionOverlay* overlay() const { return overlay_.get(); }
  int32_t frameCounter() const { return frameCounter_; }
  int32_t frameCount() const { return frameCount_; }
  void SetFrameCounter(int32_t counter) { frameCounter_ = counter; }
  // Frame k of the caption picture strip, 1..frameCount(); element 0 is the empty template.
  HBITMAP picActive(int index) const;
  // Replaces the frames; for the animation, which cuts the picture into bands.
  void SetFrames(std::vector<ScopedBitmap> frames);
  bool phase() const { return phase_; }

 private:
  // After a title-bar tick: the caption goes to the steady painter while nothing changes.
  void HandOverSteadyCaption();
  // The caption comes back to the window thread's ticks.
  void TakeBackSteadyCaption();
  // Whether `window`'s rectangle differs from the last look at it; starts following it if so.
  bool Moving(HWND window, const RECT& now);
  void StartFollowing();
  void StopFollowing();
  static LRESULT CALLBACK OnMouse(int code, WPARAM wParam, LPARAM lParam);
  void HookMouse(bool on);

  const SettingsStore& store_;
  NewsTicker* ticker_;
  bool steadyPainter_;
  HWND form_ = nullptr;
  UINT wakeMessage_ = 0;
  DWORD overlayOwnProcess_ = 0;
  CaptionRenderer renderer_;
  std::optional<uint32_t> styleGeneration_;  // the settings the renderer's style was taken from
  std::unique_ptr<CaptionOverlay> overlay_;
  std::unique_ptr<SteadyPainter> steady_;
  HWND classCheckedWindow_ = nullptr;  // the last foreground window whose class was asked
  bool paintableClass_ = false;
  ScopedBitmap picBase_;
  std::u16string picturePath_;
  std::vector<ScopedBitmap> picActive_;
  int32_t frameCounter_ = 0;
  int32_t frameCount_ = 0;
  int32_t captionButtonHeight_ = 0;
  bool phase_ = false;
  bool timer1Enabled_ = false;
  bool stopped_ = false;
  bool highContrast_ = false;  // as the system said at the start and at its last settings change
  HWND watched_ = nullptr;  // the window in front at the last look, and its rectangle then
  RECT watchedRect_{};
  bool following_ = false;
  HHOOK mouseHook_ = nullptr;  // while the overlay is shown: presses that may begin a drag
};

}  // namespace lum
