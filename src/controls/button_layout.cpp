#include "controls/button_layout.h"

#include <algorithm>
#include <cmath>

namespace lum {

int32_t RoundHalfEven(double value) {
  return static_cast<int32_t>(std::nearbyint(value));  // the default rounding mode rounds half to even
}

PixelRect ButtonFocusRect(const PixelRect& face, int32_t shape) { return face.Inset(shape == 0 ? 3 : 1); }

ButtonLayout LayoutButton(const PixelRect& client, const PixelRect& face, int32_t shape, int32_t place, bool tile,
                          int32_t pw, int32_t ph, const ButtonLayout& previous) {
  const int32_t e = shape == 1 ? 4 : 0;  // the double frame of shape 1 takes 4 pixels
  const int32_t cw = client.Width(), ch = client.Height();
  const int32_t cl = client.left, ct = client.top, cr = client.right, cb = client.bottom;
  ButtonLayout layout = previous;
  if (tile) {
    layout.text = {cl + e, ct + e, cr - e, cb - e};
    return layout;
  }
  switch (place) {
    case kPictureLeft:
      layout.pictureX = face.left + 16;
      layout.pictureY = RoundHalfEven((ch - ph) / 2.0);
      layout.text = {cl + pw + e, ct + e, cr - e, cb - e};
      break;
    case kPictureRight:
      layout.pictureX = face.right - pw - 16;
      layout.pictureY = RoundHalfEven((ch - ph) / 2.0);
      layout.text = {cl + e, ct + e, cr - pw, cb - e};
      break;
    case kPictureTop:
      layout.pictureX = RoundHalfEven((cw - pw) / 2.0);
      layout.pictureY = face.top + 12;
      layout.text = {cl + e, ct + ph + 12, cr - e, cb - e};
      break;
    case kPictureBottom:
      layout.pictureX = RoundHalfEven((cw - pw) / 2.0);
      layout.pictureY = face.bottom - ph - 12;
      layout.text = {cl + e, ct + e, cr - e, cb - ph - 12};
      break;
    default:
      break;
  }
  return layout;
}

CaptionRects ButtonCaptionRects(const PixelRect& t, bool pressed) {
  const int32_t d = pressed ? 2 : 0;
  // The 6-pixel margins only apply where the rectangle reaches far enough for them.
  const int32_t right6 = t.right >= 6 ? 6 : 0, bottom6 = t.bottom >= 6 ? 6 : 0;
  const int32_t right7 = t.right >= 7 ? 7 : 0, bottom7 = t.bottom >= 7 ? 7 : 0;
  CaptionRects rects;
  rects.main = {t.left + d + right6, t.top + d + bottom6, t.right + d - right6, t.bottom + d - bottom6};
  rects.shadow = {t.left + d + right7, t.top + d + bottom7, rects.main.right + 1, rects.main.bottom + 1};
  return rects;
}

std::vector<ColourBand> GradientBands(int32_t width, int32_t height, int32_t gradation, uint32_t start,
                                      uint32_t end) {
  std::vector<ColourBand> bands;
  if (gradation == kGradationPlain) return bands;
  const int32_t extent = std::max(0, gradation == kGradationLeftToRight ? width : height);
  const int32_t size = std::max(1, RoundHalfEven(extent / 64.0));
  const float steps = static_cast<float>(extent) / static_cast<float>(size);

  float current[3], target[3], increment[3];
  int direction[3];
  for (int c = 0; c < 3; ++c) {
    const float from = static_cast<float>((start >> (8 * c)) & 0xFF);
    const float to = static_cast<float>((end >> (8 * c)) & 0xFF);
    current[c] = from;
    target[c] = to;
    direction[c] = from > to ? -1 : 1;
    increment[c] = steps == 0 ? 0.0f : (std::max(from, to) - std::min(from, to)) / steps;
  }
  auto colour = [&] {
    uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c)
      rgb |= static_cast<uint32_t>(std::min(255, RoundHalfEven(std::fabs(current[c])))) << (8 * c);
    return rgb;
  };
  auto add = [&](int32_t offset) {
    const int32_t length = std::min(size, extent - offset);  // the last band stops at the far edge
    if (length > 0) bands.push_back({offset, length, colour()});
  };

  add(0);
  for (int32_t remainder = extent; size < remainder;) {
    remainder -= size;
    for (int c = 0; c < 3; ++c)
      if (current[c] != target[c]) current[c] += increment[c] * static_cast<float>(direction[c]);
    add(extent - remainder);
  }
  return bands;
}

}  // namespace lum
