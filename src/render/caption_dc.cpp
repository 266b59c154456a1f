#include "render/caption_dc.h"

namespace lum {

bool ReachesWholeCaption(HDC windowDC, const CaptionRect& rect) {
  RECT reach{}, covered{};
  const RECT caption{rect.left, rect.top, rect.right, rect.bottom};
  GetClipBox(windowDC, &reach);
  return IntersectRect(&covered, &reach, &caption) && EqualRect(&covered, &caption);
}

}  // namespace lum
