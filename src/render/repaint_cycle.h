// The decisions of the 180 ms repaint cycle that need no window handle: which foreground
// windows may be painted, and which animation frame comes next.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lum {

inline constexpr uint32_t kWsDlgFrame = 0x00400000;

// A caption or dialog frame; windows without one are never inspected further.
bool HasCaptionFrame(uint32_t style);

// The class name as the cycle compares it: every NUL dropped.
std::u16string CleanClassName(std::u16string_view raw);

// False for the excluded classes (compared exactly, case included) and for the system's
// own classes, whose names start with "#".
bool IsPaintableClass(std::u16string_view className);

// The frame after `counter` among `frameCount` frames: 1 after the last, counter + 1 otherwise.
// A counter of 0 or below means the animation is off and stays as it is.
int32_t AdvanceFrame(int32_t counter, int32_t frameCount);

}  // namespace lum
