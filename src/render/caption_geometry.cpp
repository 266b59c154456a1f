#include "render/caption_geometry.h"

namespace lum {

std::optional<CaptionRect> ComputeCaptionRect(const WindowFacts& window, const FrameMetrics& m) {
  bool sizing = (window.style & kWsThickFrame) != 0 && !window.minimized;
  int32_t frameX = sizing ? m.cxFrame : m.cxDlgFrame;
  int32_t frameY = sizing ? m.cyFrame : m.cyDlgFrame;
  int32_t captionHeight = (window.exStyle & kWsExToolWindow) != 0 ? 0 : m.cyCaption;
  if (window.height <= 0) return std::nullopt;
  CaptionRect r;
  r.left = frameX;
  r.right = window.width - frameX;
  r.top = frameY;
  r.bottom = r.top + captionHeight - m.cyBorder;
  return r;
}

bool ClientReachesCaption(const CaptionRect& caption, const CaptionRect& client) {
  if (caption.Width() <= 0 || caption.Height() <= 0 || client.Width() <= 0 || client.Height() <= 0) return false;
  return client.top < caption.bottom && client.bottom > caption.top && client.left < caption.right &&
         client.right > caption.left;
}

}  // namespace lum
