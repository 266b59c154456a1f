// The arithmetic of the program's own push button (CommandEx): its rectangles, where the
// picture and the caption go, and the colour bands of a gradient face. Pixels of the control's
// client area; right and bottom exclusive.
#pragma once

#include <cstdint>
#include <vector>

namespace lum {

struct PixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  PixelRect Inset(int32_t by) const { return {left + by, top + by, right - by, bottom - by}; }
  PixelRect Offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool operator==(const PixelRect&) const = default;
};

// Rounds to the nearest integer, halves to even (the rounding the button's layout uses).
int32_t RoundHalfEven(double value);

// The focus rectangle: the face inset by 1, or by 3 for the flat shape 0 (whose frame is thin).
PixelRect ButtonFocusRect(const PixelRect& face, int32_t shape);

enum PicturePlace : int32_t { kPictureLeft = 0, kPictureRight = 1, kPictureTop = 2, kPictureBottom = 3 };

struct ButtonLayout {
  int32_t pictureX = 0, pictureY = 0;
  PixelRect text;
};

// `SetRect`: places the picture (pw × ph pixels) and the caption's rectangle inside `client`.
// `previous` is kept where a place value names no place.
ButtonLayout LayoutButton(const PixelRect& client, const PixelRect& face, int32_t shape, int32_t place, bool tile,
                          int32_t pictureWidth, int32_t pictureHeight, const ButtonLayout& previous);

// `DispText`'s two rectangles: the caption's, and its shadow one pixel right and down. Both move
// 2 pixels right and down while the button is pressed.
struct CaptionRects {
  PixelRect main, shadow;
};
CaptionRects ButtonCaptionRects(const PixelRect& text, bool pressed);

// One band of a gradient face: `size` pixels along the gradient from `offset`, the whole face across.
struct ColourBand {
  int32_t offset = 0, size = 0;
  uint32_t colour = 0;  // 0x00BBGGRR
  bool operator==(const ColourBand&) const = default;
};

enum Gradation : int32_t { kGradationPlain = 0, kGradationLeftToRight = 2 };  // any other: top to bottom

// `SetGradation`: the bands from `start` to `end` (both plain 0x00BBGGRR colours) over a face of
// width × height. Empty for a plain face: it keeps its back colour.
std::vector<ColourBand> GradientBands(int32_t width, int32_t height, int32_t gradation, uint32_t start, uint32_t end);

}  // namespace lum
