#include "render/caption_renderer.h"

#include "platform/scoped_win.h"

namespace lum {

std::optional<CaptionRect> CaptionRenderer::GetCaptionRect(HWND window) {
  WindowFacts facts;
  facts.style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
  facts.exStyle = static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE));
  facts.minimized = IsIconic(window) != FALSE;
  RECT screen{};
  if (!GetWindowRect(window, &screen)) return std::nullopt;
  facts.width = screen.right - screen.left;
  facts.height = screen.bottom - screen.top;
  FrameMetrics metrics;
  metrics.cxFrame = GetSystemMetrics(SM_CXFRAME);
  metrics.cyFrame = GetSystemMetrics(SM_CYFRAME);
  metrics.cxDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
  metrics.cyDlgFrame = GetSystemMetrics(SM_CYDLGFRAME);
  metrics.cyCaption = GetSystemMetrics(SM_CYCAPTION);
  metrics.cyBorder = GetSystemMetrics(SM_CYBORDER);
  return ComputeCaptionRect(facts, metrics);
}

void CaptionRenderer::RepaintCaption(HWND window) {
  auto exStyle = static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE));
  if (window != iconCacheWindow_ && (exStyle & kWsExToolWindow) != 0) return;
  active_ = true;
  ScopedFont font(MakeCaptionFont(bold_));
  PaintCaption(window, font.get());
}

bool CaptionRenderer::PaintCaption(HWND window, HFONT captionFont) {
  auto rect = GetCaptionRect(window);
  if (!rect) return false;
  ScopedWindowDC windowDC(window);
  if (!windowDC) return false;
  ScopedMemoryDC surface(windowDC.get());
  if (!surface) return false;
  record_.composition = nullptr;
  record_.rect = *rect;
  // As large as the window's top-left part up to the caption's far corner, so that the
  // surface's coordinates are the window's own.
  ScopedBitmap composition(CreateCompatibleBitmap(windowDC.get(), rect->right, rect->bottom));
  if (!composition) return false;
  record_.composition = composition.get();
  bool copied = false;
  {
    ScopedSelect selected(surface.get(), composition.get());
    if (record_.picture)
      DrawPictureBackground(window, surface.get(), *rect);
    else
      DrawGradientBackground(window, surface.get(), *rect);
    int iconWidth = DrawCaptionIcon(window, surface.get(), *rect);
    int buttonWidth = DrawCaptionButtons(window, surface.get(), *rect);
    DrawCaptionText(window, surface.get(), iconWidth, buttonWidth, *rect, active_, captionFont);
    copied = BitBlt(windowDC.get(), rect->left, rect->top, rect->Width(), rect->Height(), surface.get(), rect->left,
                    rect->top, SRCCOPY) != FALSE;
  }
  record_.composition = nullptr;
  return copied;
}

}  // namespace lum
