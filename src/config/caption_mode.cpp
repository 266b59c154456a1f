#include "config/caption_mode.h"

#include "config/settings_values.h"

namespace lum {

CaptionMode ChooseCaptionMode(std::u16string_view overlayValue, bool compositionOn) {
  if (auto v = ToInt32(overlayValue)) {
    if (*v == 0) return CaptionMode::kTitleBar;
    if (*v == 1) return CaptionMode::kOverlay;
  }
  return compositionOn ? CaptionMode::kOverlay : CaptionMode::kTitleBar;
}

}  // namespace lum
