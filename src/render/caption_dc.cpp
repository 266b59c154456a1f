#include "render/caption_dc.h"

namespace lum {

bool ReachesWholeCaption(HDC windowDC, const CaptionRect& rect) {
  RECT reach{}, covered{};
  const RECT caption{rect.left, rect.top, rect.right, rect.bottom};
  const int kind = GetClipBox(windowDC, &reach);
  if (kind == NULLREGION || kind == ERROR) return false;
  if (!IntersectRect(&covered, &reach, &caption) || !EqualRect(&covered, &caption)) return false;
  if (kind == SIMPLEREGION) return true;
  // A box around a complex region may hide holes: a window lying across the middle of the
  // caption leaves the box whole. The region itself must hold the caption.
  HRGN visible = CreateRectRgn(0, 0, 0, 0);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  HRGN missing = CreateRectRgnIndirect(&caption);
  POINT origin{};
  bool whole = false;
  // What the DC paints through: the system's region (in screen coordinates), and within it the
  // DC's own clip region where one is set.
  if (visible && clip && missing && GetRandomRgn(windowDC, visible, SYSRGN) == 1 && GetDCOrgEx(windowDC, &origin)) {
    OffsetRgn(visible, -origin.x, -origin.y);
    if (GetClipRgn(windowDC, clip) == 1) CombineRgn(visible, visible, clip, RGN_AND);
    whole = CombineRgn(missing, missing, visible, RGN_DIFF) == NULLREGION;
  }
  for (HRGN region : {visible, clip, missing})
    if (region) DeleteObject(region);
  return whole;
}

}  // namespace lum
