#include "render/caption_renderer.h"

#include "imaging/dc_helpers.h"
#include "platform/scoped_win.h"

namespace lum {

void CaptionRenderer::DrawPictureBackground(HWND window, HDC surface, const CaptionRect& rect) const {
  if (!window || !surface || rect.Width() <= 0 || rect.Height() <= 0) return;
  BITMAP info{};
  if (!GetObjectA(record_.picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return;
  // One fill with the picture as pattern, whatever its size; the brush origin puts a tile's
  // corner on the caption's top-left, so the tiles keep in phase with the caption's left edge.
  ScopedBrush brush(CreatePatternBrush(record_.picture));
  if (!brush) return;
  POINT previousOrigin{};
  SetBrushOrgEx(surface, rect.left, rect.top, &previousOrigin);
  {
    ScopedSelect selected(surface, brush.get());
    PatBlt(surface, rect.left, rect.top, rect.Width(), rect.Height(), PATCOPY);
  }
  SetBrushOrgEx(surface, previousOrigin.x, previousOrigin.y, nullptr);
}

void CaptionRenderer::DrawGradientBackground(HWND window, HDC surface, const CaptionRect& rect) const {
  (void)window;
  // Both end colours of the fallback gradient are black, so every band is black.
  if (rect.Width() > 0 && rect.Height() > 0) FillSolid(surface, RECT{rect.left, rect.top, rect.right, rect.bottom}, 0);
}

}  // namespace lum
