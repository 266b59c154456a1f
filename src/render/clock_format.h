// The clock's vocabulary: the fixed table of 115 date and time patterns (the row index is what
// LUM.ini stores) and the expansion of a pattern against a local moment.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lum {

inline constexpr int32_t kClockFormatCount = 115;

// A local date and time in whole seconds. Fields are taken as given; nothing here validates them.
struct ClockMoment {
  int year, month, day, hour, minute, second;
};

// The pattern of row `index`; an index outside 0..114 gives the empty string.
std::u16string FormatClock(const int32_t& index);

// The text that `pattern` gives for `moment`. Tokens are runs of one letter (Y M D H S G E in
// either case, lower-case a, and d): YYYY YY MM M DD D HH H SS S GGG G EE E aaaa aaa ddd; M and MM
// are minutes while an hour token has been written and no minute token since. Every other
// character is copied unchanged.
std::u16string ExpandClockPattern(const ClockMoment& moment, std::u16string_view pattern);

// One Japanese era: its kanji name, Latin initial and the Gregorian date of its first day.
struct JapaneseEra {
  std::u16string_view name;
  char16_t initial;
  int year, month, day;
};

// The eras from 明治 on, oldest first. Carried here because the platform's calendar data
// may list only the current era.
std::span<const JapaneseEra> JapaneseEras();

// The era with the latest start date not after the moment; nullptr before 1868-01-01.
const JapaneseEra* EraFor(const ClockMoment& moment);

}  // namespace lum
