#include <cstring>

#include "render/caption_renderer.h"

namespace lum {

namespace {
// The caption font as the system gives it for another DPI (Windows 10 from 1607); null where
// it cannot.
HFONT CaptionFontForDpi(bool bold, unsigned dpi) {
  using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<SystemParametersInfoForDpiFn>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")))
                  : nullptr;
  }();
  NONCLIENTMETRICSW metrics{};
  // Without iPaddedBorderWidth, as below.
  constexpr UINT kMetricsSize = 500;
  static_assert(sizeof(NONCLIENTMETRICSW) >= kMetricsSize);
  metrics.cbSize = kMetricsSize;
  if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0, dpi)) return nullptr;
  LOGFONTW caption = metrics.lfCaptionFont;
  caption.lfFaceName[LF_FACESIZE - 1] = 0;
  return CreateFontW(caption.lfHeight, caption.lfWidth, caption.lfEscapement, caption.lfOrientation, bold ? FW_BOLD : 0,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, caption.lfFaceName);
}
}  // namespace

HFONT MakeCaptionFont(bool bold, unsigned dpi) {
  if (dpi)
    if (HFONT font = CaptionFontForDpi(bold, dpi)) return font;
  NONCLIENTMETRICSA metrics{};
  // The record without iPaddedBorderWidth: 340 bytes, which every version accepts.
  constexpr UINT kMetricsSize = 340;
  static_assert(sizeof(NONCLIENTMETRICSA) >= kMetricsSize);
  metrics.cbSize = kMetricsSize;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0)) return nullptr;
  const LOGFONTA& caption = metrics.lfCaptionFont;
  // The face name up to its first NUL, even if the record fills all 32 bytes.
  char face[LF_FACESIZE] = {};
  std::memcpy(face, caption.lfFaceName, LF_FACESIZE - 1);
  return CreateFontA(caption.lfHeight, caption.lfWidth, caption.lfEscapement, caption.lfOrientation, bold ? FW_BOLD : 0,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

}  // namespace lum
