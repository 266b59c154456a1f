// How many caption-high bands the background picture is cut into for the animation.
#pragma once

#include <cstdint>

namespace lum {

inline constexpr int32_t kMaxAnimationFrames = 100;

// The picture's height divided by the frame height, limited to 1..100: a picture lower than
// one frame still gives one frame, and only the first 100 bands of a tall one are used.
int32_t AnimationFrameCount(int32_t pictureHeight, int32_t frameHeight);

// A picture is drawn for the caption at 96 dpi: its bands are as high as that caption. The
// band height for a caption `captionHeight` pixels high at `dpi`, rounded to the nearest pixel
// (the caption itself at 96 dpi, or when the DPI is unknown).
int32_t DesignBandHeight(int32_t captionHeight, int32_t dpi);

}  // namespace lum
