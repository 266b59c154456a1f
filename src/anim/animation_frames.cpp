#include "anim/animation_frames.h"

namespace lum {

int32_t AnimationFrameCount(int32_t pictureHeight, int32_t frameHeight) {
  int32_t count = frameHeight > 0 ? pictureHeight / frameHeight : 1;
  if (count > kMaxAnimationFrames) return kMaxAnimationFrames;
  return count < 1 ? 1 : count;
}

int32_t DesignBandHeight(int32_t captionHeight, int32_t dpi) {
  if (dpi <= 0 || dpi == 96 || captionHeight <= 0) return captionHeight;
  const int64_t scaled = (static_cast<int64_t>(captionHeight) * 96 * 2 + dpi) / (2 * static_cast<int64_t>(dpi));
  return scaled < 1 ? 1 : static_cast<int32_t>(scaled);
}

}  // namespace lum
