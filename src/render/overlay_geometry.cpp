#include "render/overlay_geometry.h"

#include <algorithm>
#include <cmath>

namespace lum {

std::optional<ScreenRect> ComputeOverlayRect(const OverlayFacts& f) {
  const bool hasCaption = f.caption && f.caption->Width() > 0 && f.caption->Height() > 0;
  const bool hasTitleBar = f.titleBar && !f.titleBar->Empty();
  if (!hasCaption && !hasTitleBar) return std::nullopt;
  ScreenRect r;
  if (hasCaption) {
    r = {f.window.left + f.caption->left, f.window.top + f.caption->top, f.window.left + f.caption->right,
         f.window.top + f.caption->bottom};
  }
  // The title bar gives the band's height (the line under it left to the frame, as on the
  // title bar); it leaves out the icon, so the sides come from the caption (or the title bar
  // itself when there is no caption to go by).
  if (hasTitleBar) {
    r.top = f.titleBar->top;
    r.bottom = f.titleBar->bottom - std::max(f.captionLine, 0);
    if (!hasCaption) {
      r.left = f.titleBar->left;
      r.right = f.titleBar->right;
    }
  }
  // Where frames are composed the window rectangle has invisible borders: the visible frame
  // bounds the band.
  if (f.frame && !f.frame->Empty()) {
    r.left = std::max(r.left, f.frame->left);
    r.right = std::min(r.right, f.frame->right);
    r.top = std::max(r.top, f.frame->top);
    r.bottom = std::min(r.bottom, f.frame->bottom);
  }
  if (f.buttons && !f.buttons->Empty()) {
    const int32_t buttonsLeft = f.window.left + f.buttons->left, buttonsRight = f.window.left + f.buttons->right;
    if (buttonsLeft + buttonsRight >= r.left + r.right)
      r.right = std::min(r.right, buttonsLeft);
    else
      r.left = std::max(r.left, buttonsRight);
  } else {
    r.right -= std::max(f.buttonArea, 0);
  }
  if (r.Empty()) return std::nullopt;
  return r;
}

int32_t RoundedCornerRadius(unsigned dpi) { return static_cast<int32_t>((8 * (dpi ? dpi : 96) + 48) / 96); }

std::vector<CornerCut> RoundedCornerCuts(const ScreenRect& overlay, const ScreenRect& frame, int32_t radius) {
  std::vector<CornerCut> cuts;
  if (radius <= 0 || overlay.Empty()) return cuts;
  const double r = radius, centreY = frame.top + r;
  const double leftCentre = frame.left + r, rightCentre = frame.right - r;
  for (int32_t y = overlay.top; y < overlay.bottom && y + 0.5 < centreY; ++y) {
    // A pixel lies outside when its centre does: left of the left arc, right of the right one.
    const double dy = centreY - (y + 0.5);
    const double half = std::sqrt(std::max(0.0, r * r - dy * dy));
    const auto firstInside = static_cast<int32_t>(std::ceil(leftCentre - half - 0.5));
    const auto lastInside = static_cast<int32_t>(std::floor(rightCentre + half - 0.5));
    CornerCut cut{std::clamp(firstInside - overlay.left, 0, overlay.Width()),
                  std::clamp(overlay.right - 1 - lastInside, 0, overlay.Width())};
    cuts.push_back(cut);
  }
  while (!cuts.empty() && cuts.back() == CornerCut{}) cuts.pop_back();
  return cuts;
}

}  // namespace lum
