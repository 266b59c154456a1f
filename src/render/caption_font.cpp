#include <cstring>

#include "render/caption_renderer.h"

namespace lum {

HFONT MakeCaptionFont(bool bold) {
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
  return CreateFontA(caption.lfHeight, caption.lfWidth, caption.lfEscapement, caption.lfOrientation,
                     bold ? FW_BOLD : 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

}  // namespace lum
