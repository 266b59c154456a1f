#include "anim/animation_frames.h"

namespace lum {

int32_t AnimationFrameCount(int32_t pictureHeight, int32_t frameHeight) {
  int32_t count = frameHeight > 0 ? pictureHeight / frameHeight : 1;
  if (count > kMaxAnimationFrames) return kMaxAnimationFrames;
  return count < 1 ? 1 : count;
}

}  // namespace lum
