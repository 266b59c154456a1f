#include "render/caption_renderer.h"

namespace lum {

namespace {
// A hung window must not freeze the repaint cycle: give it a moment, then go on without.
constexpr UINT kIconQueryTimeoutMs = 100;

HICON AskWindowIcon(HWND window, WPARAM which) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, WM_GETICON, which, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kIconQueryTimeoutMs, &answer))
    return nullptr;
  return reinterpret_cast<HICON>(answer);
}
}  // namespace

HICON FindWindowIcon(HWND window) {
  if (auto icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM))) return icon;
  if (auto icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON))) return icon;
  if (HICON icon = AskWindowIcon(window, ICON_SMALL)) return icon;
  if (HICON icon = AskWindowIcon(window, ICON_BIG)) return icon;
  return LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WINLOGO));
}

HICON CaptionRenderer::CaptionIcon(HWND window) {
  if (style_.ownIcon) return ownIcon_;
  if (window != iconCacheWindow_) {
    iconCacheIcon_ = FindWindowIcon(window);
    iconCacheWindow_ = window;
  }
  return iconCacheIcon_;
}

int CaptionRenderer::DrawCaptionIcon(HWND window, HDC surface, const CaptionRect& rect) {
  HICON icon = CaptionIcon(window);
  const int w = metrics().buttonWidth, h = metrics().buttonHeight;
  if (icon) DrawIconEx(surface, rect.left + 2, rect.top + 1, icon, w - 2, h - 2, 0, nullptr, DI_NORMAL);
  return w;
}

std::vector<CaptionButtonFace> CaptionRenderer::CaptionButtonFaces(uint32_t style, uint32_t exStyle,
                                                                   const CaptionRect& rect,
                                                                   const CaptionMetrics& metrics, int* width) {
  const int w = metrics.buttonWidth, h = metrics.buttonHeight;
  RECT b{rect.right - w, rect.top + 2, rect.right - 2, rect.top + h - 2};
  if (exStyle & kWsExToolWindow) {
    b.left += 3;
    b.bottom -= 3;
  }
  std::vector<CaptionButtonFace> faces{{b, DFCS_CAPTIONCLOSE}};
  if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
    OffsetRect(&b, -w, 0);
    UINT maximize = DFCS_CAPTIONMAX | DFCS_INACTIVE;
    if (style & WS_MAXIMIZEBOX) maximize = (style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX;
    faces.push_back({b, maximize});
    // The minimise button touches the maximise button; the close button stands 2 px apart.
    OffsetRect(&b, -(w - 2), 0);
    const UINT minimize = (style & WS_MINIMIZEBOX) ? DFCS_CAPTIONMIN : DFCS_CAPTIONMIN | DFCS_INACTIVE;
    faces.push_back({b, minimize});
  } else if (exStyle & WS_EX_CONTEXTHELP) {
    OffsetRect(&b, -w, 0);
    faces.push_back({b, DFCS_CAPTIONHELP});
  }
  if (width) *width = rect.Width() - b.left - 2;
  return faces;
}

int CaptionRenderer::DrawCaptionButtons(HWND window, HDC surface, const CaptionRect& rect) {
  auto style = static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
  auto exStyle = static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE));
  int width = 0;
  for (CaptionButtonFace& face : CaptionButtonFaces(style, exStyle, rect, metrics(), &width))
    DrawFrameControl(surface, &face.box, DFC_CAPTION, face.state);
  return width;
}

}  // namespace lum
