// How the composed caption reaches the screen: painted into the window's title bar, or
// shown in an overlay window above it where the window manager composes frames itself.
#pragma once

#include <string_view>

namespace lum {

enum class CaptionMode { kTitleBar, kOverlay };

// [DEFAULT] OVERLAY: 0 the title bar, 1 the overlay, anything else (or nothing) the overlay
// exactly when desktop composition is on, since only there title-bar painting never shows.
CaptionMode ChooseCaptionMode(std::u16string_view overlayValue, bool compositionOn);

}  // namespace lum
