// Where the caption lies inside a window, from the window's style and the system metrics.
#pragma once

#include <cstdint>
#include <optional>

namespace lum {

inline constexpr uint32_t kWsThickFrame = 0x00040000;
inline constexpr uint32_t kWsExToolWindow = 0x00000080;

// Window coordinates: origin at the window's top-left corner, right and bottom exclusive.
struct CaptionRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const CaptionRect&) const = default;
};

struct FrameMetrics {
  int32_t cxFrame = 0, cyFrame = 0;        // sizing frame
  int32_t cxDlgFrame = 0, cyDlgFrame = 0;  // dialog frame
  int32_t cyCaption = 0;
  int32_t cyBorder = 0;
  bool operator==(const FrameMetrics&) const = default;
};

struct WindowFacts {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  bool minimized = false;
  int32_t width = 0;  // of the window's screen rectangle
  int32_t height = 0;
};

// Whether a window draws its own title bar: its client area (window coordinates) reaches into
// the caption band, as it does for windows whose answer to WM_NCCALCSIZE takes the caption in.
bool ClientReachesCaption(const CaptionRect& caption, const CaptionRect& client);

// The rectangle between the side frames, from the top frame down to the line under the
// caption, that line excluded. Nothing for a window without height. A tool window gives a
// rectangle whose bottom lies above its top.
std::optional<CaptionRect> ComputeCaptionRect(const WindowFacts& window, const FrameMetrics& metrics);

}  // namespace lum
