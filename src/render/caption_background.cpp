#include "platform/scoped_win.h"
#include "render/caption_renderer.h"

namespace lum {

void FillBand(HDC surface, int x, int y, int width, int height, int32_t color) {
  ScopedBrush brush(CreateSolidBrush(static_cast<COLORREF>(color)));
  if (!brush) return;
  ScopedSelect selected(surface, brush.get());
  PatBlt(surface, x, y, width, height, PATCOPY);
}

void CaptionRenderer::DrawPictureBackground(HWND window, HDC surface, const CaptionRect& rect) const {
  if (!window || !surface) return;
  BITMAP info{};
  if (!GetObjectA(record_.picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return;
  const int width = rect.Width(), height = rect.Height();
  const int pw = info.bmWidth, ph = info.bmHeight;
  ScopedMemoryDC pictureDC(surface);
  if (!pictureDC) return;
  ScopedSelect selected(pictureDC.get(), record_.picture);
  // The last column and row may run past the caption; the composition bitmap ends there.
  int lastColumn = width / pw + (width % pw > 0 ? 1 : 0) - 1;
  int lastRow = height / ph + (height % ph > 0 ? 1 : 0) - 1;
  if (lastColumn < 0) lastColumn = 0;
  if (lastRow < 0) lastRow = 0;
  for (int r = 0; r <= lastRow; ++r)
    for (int c = 0; c <= lastColumn; ++c)
      BitBlt(surface, rect.left + c * pw, rect.top + r * ph, pw, ph, pictureDC.get(), 0, 0, SRCCOPY);
}

void CaptionRenderer::DrawGradientBackground(HWND window, HDC surface, const CaptionRect& rect) const {
  (void)window;
  // Both end colours of the fallback gradient are black, so every band is black.
  if (rect.Width() > 0 && rect.Height() > 0) FillBand(surface, rect.left, rect.top, rect.Width(), rect.Height(), 0);
}

}  // namespace lum
