// Where the caption overlay stands: over a window's title bar, in screen coordinates, up to
// where the window's own caption buttons begin.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/caption_geometry.h"

namespace lum {

// Screen coordinates, right and bottom exclusive.
struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const ScreenRect&) const = default;
};

// What the system tells about the window; each optional fact may be missing (no window
// manager composing frames, or the call failed), and the classic computation stands in.
struct OverlayFacts {
  ScreenRect window;                   // the window rectangle
  std::optional<CaptionRect> caption;  // the classic caption, in window coordinates
  int32_t buttonArea = 0;              // classic: from the first button's left to the caption's right
  std::optional<ScreenRect> titleBar;  // GetTitleBarInfo
  int32_t captionLine = 0;             // the line under the caption (SM_CYBORDER), which the title bar includes
  std::optional<ScreenRect> frame;     // the visible frame (DWMWA_EXTENDED_FRAME_BOUNDS)
  // The caption buttons, relative to the window rectangle (DWMWA_CAPTION_BUTTON_BOUNDS).
  std::optional<ScreenRect> buttons;
};

// The band of the title bar left of the buttons (right of them when the window has its
// buttons at the left); nothing when no caption can be found or the band is empty.
std::optional<ScreenRect> ComputeOverlayRect(const OverlayFacts& facts);

// Windows 11 rounds the corners of a window that is not maximised: 8 pixels at 96 dpi, scaled
// with the DPI.
int32_t RoundedCornerRadius(unsigned dpi);

// How many pixels at the left and at the right end of one of the overlay's rows lie outside
// the window's rounded frame.
struct CornerCut {
  int32_t left = 0, right = 0;
  bool operator==(const CornerCut&) const = default;
};
// The cuts of the overlay's top rows, from its first row down to the last one cut; empty when
// the rounded corners of `frame` (the window's visible frame) leave the overlay whole.
std::vector<CornerCut> RoundedCornerCuts(const ScreenRect& overlay, const ScreenRect& frame, int32_t radius);

}  // namespace lum
