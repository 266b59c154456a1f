#include "render/clock_text.h"

#include <windows.h>

#include "platform/text.h"

namespace lum {

namespace {

// The system's general form of a date and time, for a format index outside the table.
std::u16string GeneralDateTime(const ClockMoment& m) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(m.year);
  time.wMonth = static_cast<WORD>(m.month);
  time.wDay = static_cast<WORD>(m.day);
  time.wHour = static_cast<WORD>(m.hour);
  time.wMinute = static_cast<WORD>(m.minute);
  time.wSecond = static_cast<WORD>(m.second);
  wchar_t date[80] = {}, clock[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 80);
  return FromWide(date) + u" " + FromWide(clock);
}

}  // namespace

ClockMoment LocalMoment() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::u16string ClockTextAt(int32_t formatIndex, const ClockMoment& now) {
  std::u16string pattern = FormatClock(formatIndex);
  return pattern.empty() ? GeneralDateTime(now) : ExpandClockPattern(now, pattern);
}

std::u16string ClockTextNow(int32_t formatIndex) { return ClockTextAt(formatIndex, LocalMoment()); }

}  // namespace lum
