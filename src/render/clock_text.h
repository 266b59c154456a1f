// The clock's text as the caption shows it: a format of the clock table expanded for a moment,
// or the system's own date and time for a format outside the table.
#pragma once

#include <cstdint>
#include <string>

#include "render/clock_format.h"

namespace lum {

// The local time now, to the second.
ClockMoment LocalMoment();

// The clock's text in a format (an index into the clock formats) at a moment, and now.
std::u16string ClockTextAt(int32_t formatIndex, const ClockMoment& now);
std::u16string ClockTextNow(int32_t formatIndex);

}  // namespace lum
