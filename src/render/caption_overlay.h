// The caption shown in a window of our own over another window's title bar, for desktops
// where the window manager draws every frame itself and painting into a title bar never
// shows. Layered and click-through: the target's caption still takes every click.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "render/caption_renderer.h"
#include "render/overlay_geometry.h"

namespace lum {

class CaptionOverlay {
 public:
  static constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;

  // `ownProcess` names the process whose windows get no overlay: Lumbrel's own.
  CaptionOverlay(CaptionRenderer& renderer, DWORD ownProcess);
  ~CaptionOverlay();
  CaptionOverlay(const CaptionOverlay&) = delete;
  CaptionOverlay& operator=(const CaptionOverlay&) = delete;

  // The window and the window-event hooks that let it follow its target; false when the
  // window could not be made.
  bool Create();
  // Composes the caption of `target` (the foreground window) and shows it over its title
  // bar, or hides the overlay when that window gets none. The window is painted only when
  // the composed caption changed.
  // `style`: the target's style, if the caller has just read it.
  void Refresh(HWND target, std::optional<uint32_t> style = std::nullopt, const RECT* rect = nullptr);
  void Hide();
  // The focus window of the foreground thread, read by the tick with the foreground window.
  // Under Wine the window that takes the focus shows over every other on the X screen, so a
  // new focus has the overlay raised again.
  void NoteFocus(HWND focus);
  // The system's metrics, theme or display changed: the place is worked out afresh.
  void OnSystemSettingsChanged();

  HWND hwnd() const { return hwnd_; }
  HWND target() const { return target_; }
  bool visible() const { return shown_; }
  // How often a new caption has been painted into the window.
  unsigned layeredUpdates() const { return layeredUpdates_; }
  // One window event as the hooks receive it: a new foreground window, the target moved or
  // resized, minimised or restored. (Wine sends none of these, so its tests hand them over.)
  void OnEvent(DWORD event, HWND window, LONG object);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                  DWORD time);
  // What a tick asks of its target, once: each question asked of another process's window
  // is a round trip to the window system.
  struct TargetFacts {
    HWND window = nullptr;
    uint32_t style = 0, exStyle = 0;
    RECT rect{};
    bool operator==(const TargetFacts& o) const {
      return window == o.window && style == o.style && exStyle == o.exStyle && EqualRect(&rect, &o.rect);
    }
  };
  // Reads current_; false when the target gets no overlay (no caption, minimised, a tool
  // window, cloaked, one of the program's own, a class refused).
  bool ReadTarget(HWND target, std::optional<uint32_t> style, const RECT* rect);
  // Where the overlay stands over the target; nothing when it gets none (full screen). `frame`
  // gets the window's visible frame and `dpi` the DPI its caption is laid out at.
  std::optional<ScreenRect> PlaceFor(const TargetFacts& target, ScreenRect* frame, unsigned* dpi) const;
  // Cuts the overlay's top corners where the system rounds the target's (Windows 11).
  void ShapeCorners(const ScreenRect& place);
  // Stacks the overlay directly above the target, in the target's (topmost or not) band.
  void StackAbove(HWND target, const ScreenRect& place);
  void FollowTarget(HWND target);
  void Unhook();
  // Copies the composed caption into the overlay's own surface; false when the surface could
  // not be made.
  bool FillSurface(int width, int height);
  // The surface onto the overlay's window (a new caption, or WM_PAINT).
  void PaintSurface(HDC dc) const;

  CaptionRenderer& renderer_;
  DWORD ownProcess_;
  HWND hwnd_ = nullptr;
  HWND target_ = nullptr;
  DWORD targetOwner_ = 0;    // the target's process
  DWORD targetProcess_ = 0;  // the process the location hook watches
  TargetFacts current_;
  TargetFacts exStyleAskedFor_;  // the window, style and rectangle current_.exStyle was asked with
  bool composition_ = false;     // read when made and when the system's settings change
  // The place worked out for the facts it was worked out from.
  struct Placement {
    TargetFacts target;
    std::optional<ScreenRect> place;
    int buttonArea;  // the classic buttons laid out after the overlay's end
    ScreenRect frame;  // the target's visible frame
    unsigned dpi = 0;
    bool shaped = false;  // the window's corners are cut for this place
  };
  std::optional<Placement> placed_;
  HDC ownDC_ = nullptr;  // the window's own DC (its class keeps one per window)
  bool shown_ = false;
  HWND focus_ = nullptr;
  int raises_ = 0;  // ticks that raise the overlay again after the target's focus moved
  ScreenRect shownPlace_;
  std::vector<CornerCut> cuts_;  // the corners cut from the window as it stands
  unsigned layeredUpdates_ = 0;
  // What the window shows, kept for WM_PAINT: the renderer's canvas may be composed for
  // another window in between.
  MemoryCanvas surface_;
  HWINEVENTHOOK foregroundHook_ = nullptr;
  HWINEVENTHOOK minimizeHook_ = nullptr;
  HWINEVENTHOOK moveSizeHook_ = nullptr;  // a drag or resize by the user begins or ends
  HWINEVENTHOOK locationHook_ = nullptr;  // the target's process alone
  bool movingSize_ = false;
  bool paintableClass_ = false;           // the target's class is one that gets a caption
};

// The overlay's window region with `cuts` taken from its top rows; the caller owns it.
HRGN MakeCornerRegion(int width, int height, const std::vector<CornerCut>& cuts);

}  // namespace lum
