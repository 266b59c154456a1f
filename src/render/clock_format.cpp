// The clock format table and the expansion of its patterns.
#include "render/clock_format.h"

#include <array>
#include <cstdlib>

namespace lum {
namespace {

// The order is part of LUM.ini's format: the stored setting is the row index.
constexpr std::array<std::u16string_view, kClockFormatCount> kClockFormats = {
    u"HH:MM:SS",                       // 0
    u"HH時MM分SS秒",                   // 1
    u"H:M:S",                          // 2
    u"H時M分D",                        // 3
    u"YYYY/MM/DD HH:MM:SS",            // 4
    u"YY/MM/DD HH:MM:SS",              // 5
    u"YYYY/M/D H:M:S",                 // 6
    u"YY/M/D H:M:S",                   // 7
    u"YYYY年MM月DD日 HH:MM:SS",        // 8
    u"YY年MM月DD日 HH:MM:SS",          // 9
    u"YYYY年M月D日 H:M:S",             // 10
    u"YY年M月D日 H:M:S",               // 11
    u"GGGEE年MM月DD日 HH:MM:SS",       // 12
    u"GEE年MM月DD日 HH:MM:SS",         // 13
    u"GGGEE年M月D日 H:M:S",            // 14
    u"GE年M月D日 H:M:S",               // 15
    u"YYYY/MM/DD aaaa HH:MM:SS",       // 16
    u"YY/MM/DD aaaa HH:MM:SS",         // 17
    u"YYYY/M/D aaaa H:M:S",            // 18
    u"YY/M/D aaaa H:M:S",              // 19
    u"YYYY年MM月DD日 aaaa HH:MM:SS",   // 20
    u"YY年MM月DD日 aaaa HH:MM:SS",     // 21
    u"YYYY年M月D日 aaaa H:M:S",        // 22
    u"YY年M月D日 aaaa H:M:S",          // 23
    u"GGGEE年MM月DD日 aaaa HH:MM:SS",  // 24
    u"GEE年MM月DD日 aaaa HH:MM:SS",    // 25
    u"GGGEE年M月D日 aaaa H:M:S",       // 26
    u"GE年M月D日 aaaa H:M:S",          // 27
    u"YYYY/MM/DD aaa HH:MM:SS",        // 28
    u"YY/MM/DD aaa HH:MM:SS",          // 29
    u"YYYY/M/D aaa H:M:S",             // 30
    u"YY/M/D aaa H:M:S",               // 31
    u"YYYY年MM月DD日 aaa HH:MM:SS",    // 32
    u"YY年MM月DD日 aaa HH:MM:SS",      // 33
    u"YYYY年M月D日 aaa H:M:S",         // 34
    u"YY年M月D日 aaa H:M:S",           // 35
    u"GGGEE年MM月DD日 aaa HH:MM:SS",   // 36
    u"GEE年MM月DD日 aaa HH:MM:SS",     // 37
    u"GGGEE年M月D日 aaa H:M:S",        // 38
    u"GE年M月D日 aaa H:M:S",           // 39
    u"YYYY/MM/DD ddd HH:MM:SS",        // 40
    u"YY/MM/DD ddd HH:MM:SS",          // 41
    u"YYYY/M/D ddd H:M:S",             // 42
    u"YY/M/D ddd H:M:S",               // 43
    u"YYYY年MM月DD日 ddd HH:MM:SS",    // 44
    u"YY年MM月DD日 ddd HH:MM:SS",      // 45
    u"YYYY年M月D日 ddd H:M:S",         // 46
    u"YY年M月D日 ddd H:M:S",           // 47
    u"GGGEE年MM月DD日 ddd HH:MM:SS",   // 48
    u"GEE年MM月DD日 ddd HH:MM:SS",     // 49
    u"GGGEE年M月D日 ddd H:M:S",        // 50
    u"GE年M月D日 ddd H:M:S",           // 51
    u"YYYY/MM/DD",                     // 52
    u"YY/MM/DD",                       // 53
    u"YYYY/M/D",                       // 54
    u"YY/M/D",                         // 55
    u"YYYY年MM月DD日",                 // 56
    u"YY年MM月DD日",                   // 57
    u"YYYY年M月D日",                   // 58
    u"YY年M月D日",                     // 59
    u"GGGEE年MM月DD日",                // 60
    u"GEE年MM月DD日",                  // 61
    u"GGGEE年M月D日",                  // 62
    u"GE年M月D日",                     // 63
    u"YYYY/MM/DD aaaa",                // 64
    u"YY/MM/DD aaaa",                  // 65
    u"YYYY/M/D aaaa",                  // 66
    u"YY/M/D aaaa",                    // 67
    u"YYYY年MM月DD日 aaaa",            // 68
    u"YY年MM月DD日 aaaa",              // 69
    u"YYYY年M月D日 aaaa",              // 70
    u"YY年M月D日 aaaa",                // 71
    u"GGGEE年MM月DD日 aaaa",           // 72
    u"GEE年MM月DD日 aaaa",             // 73
    u"GGGEE年M月D日 aaaa",             // 74
    u"GE年M月D日 aaaa",                // 75
    u"YYYY/MM/DD aaa",                 // 76
    u"YY/MM/DD aaa",                   // 77
    u"YYYY/M/D aaa",                   // 78
    u"YY/M/D aaa",                     // 79
    u"YYYY年MM月DD日 aaa",             // 80
    u"YY年MM月DD日 aaa",               // 81
    u"YYYY年M月D日 aaa",               // 82
    u"YY年M月D日 aaa",                 // 83
    u"GGGEE年MM月DD日 aaa",            // 84
    u"GEE年MM月DD日 aaa",              // 85
    u"GGGEE年M月D日 aaa",              // 86
    u"GE年M月D日 aaa",                 // 87
    u"YYYY/MM/DD ddd",                 // 88
    u"YY/MM/DD ddd",                   // 89
    u"YYYY/M/D ddd",                   // 90
    u"YY/M/D ddd",                     // 91
    u"YYYY年MM月DD日 ddd",             // 92
    u"YY年MM月DD日 ddd",               // 93
    u"YYYY年M月D日 ddd",               // 94
    u"YY年M月D日 ddd",                 // 95
    u"GGGEE年MM月DD日 ddd",            // 96
    u"GEE年MM月DD日 ddd",              // 97
    u"GGGE年M月D日 ddd",               // 98
    u"MM月DD日 ddd HH:MM:SS",          // 99
    u"MM月DD日 aaa HH:MM:SS",          // 100
    u"MM月DD日 aaaa HH:MM:SS",         // 101
    u"M月D日 ddd H:M:S",               // 102
    u"M月D日 aaa H:M:S",               // 103
    u"M月D日 aaaa H:M:S",              // 104
    u"MM/DD ddd HH:MM:SS",             // 105
    u"MM/DD aaa HH:MM:SS",             // 106
    u"MM/DD aaaa HH:MM:SS",            // 107
    u"M/D ddd H:M:S",                  // 108
    u"M/D aaa H:M:S",                  // 109
    u"M/D aaaa H:M:S",                 // 110
    u"MM月DD日 HH:MM:SS",              // 111
    u"M月D日 H:M:S",                   // 112
    u"MM/DD HH:MM:SS",                 // 113
    u"M/D H:M:S",                      // 114
};

// Start dates as Windows lists them; the platform's own data may name only the current era.
constexpr std::array<JapaneseEra, 5> kJapaneseEras = {{
    {u"明治", u'M', 1868, 1, 1},
    {u"大正", u'T', 1912, 7, 30},
    {u"昭和", u'S', 1926, 12, 25},
    {u"平成", u'H', 1989, 1, 8},
    {u"令和", u'R', 2019, 5, 1},
}};

constexpr std::array<std::u16string_view, 7> kWeekdayLong = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                                             u"木曜日", u"金曜日", u"土曜日"};
constexpr std::array<std::u16string_view, 7> kWeekdayShort = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
constexpr std::array<std::u16string_view, 7> kWeekdayEnglish = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};

// Decimal digits of `value`, zero-padded to at least `width` digits, after any minus sign.
// 64-bit so that any int field, INT_MIN included, prints without overflow.
void AppendNumber(std::u16string& out, int64_t value, int width) {
  if (value < 0) out += u'-';
  uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char16_t digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  for (int i = count; i < width; ++i) out += u'0';
  while (count > 0) out += digits[--count];
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// 0 = Sunday. Days counted from 1970-01-01 (a Thursday) in the proleptic Gregorian calendar;
// a month outside 1..12 or a day beyond the month's end rolls over instead of indexing past a table.
int Weekday(const ClockMoment& m) {
  int64_t months = int64_t{m.year} * 12 + (int64_t{m.month} - 1);
  int64_t y = FloorDiv(months, 12);
  int64_t mon = months - y * 12 + 1;  // 1..12
  if (mon <= 2) --y;                  // March-based year puts the leap day last
  int64_t era = FloorDiv(y, 400);
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (mon > 2 ? mon - 3 : mon + 9) + 2) / 5;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t days = era * 146097 + doe - 719468 + (int64_t{m.day} - 1);
  return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

// Compares dates as (year, month, day), the order the era start dates are given in.
bool StartsOnOrBefore(const JapaneseEra& era, const ClockMoment& m) {
  if (era.year != m.year) return era.year < m.year;
  if (era.month != m.month) return era.month < m.month;
  return era.day <= m.day;
}

// A run's letter folded to the case the tokens are matched in: Y M D H S G E in either case
// (D and d are one letter: short runs are the day, "ddd" the weekday), a in lower case only.
// Returns 0 for any character that is not a token letter.
char16_t TokenLetter(char16_t c) {
  if (c == u'a') return c;
  const char16_t upper = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
  return std::u16string_view(u"YMDHSGE").find(upper) != std::u16string_view::npos ? upper : 0;
}

// One digit or two: the width a run of one or of two (or more) letters asks for.
int FieldWidth(size_t run) { return run >= 2 ? 2 : 1; }

}  // namespace

std::u16string FormatClock(const int32_t& index) {
  if (index < 0 || index >= kClockFormatCount) return {};
  return std::u16string(kClockFormats[static_cast<size_t>(index)]);
}

std::span<const JapaneseEra> JapaneseEras() { return kJapaneseEras; }

const JapaneseEra* EraFor(const ClockMoment& moment) {
  for (auto it = kJapaneseEras.rbegin(); it != kJapaneseEras.rend(); ++it)
    if (StartsOnOrBefore(*it, moment)) return &*it;
  return nullptr;
}

// Runs of lengths the table never uses take the longest defined form they reach, or the shortest
// form when they are shorter than all: "YYY" is YY, "YYYYY" YYYY, "MMM" MM, "GG" G, "GGGG" GGG,
// "EEE" EE, "a" and "aa" aaa, "aaaaa" aaaa, "DDD" and "dddd" ddd. So every run of a token letter
// writes a field and none leaks its letters into the clock.
//
// Before 明治 (1868-01-01) there is no era: GGG and G write nothing and E and EE write the
// Gregorian year, so the clock shows no invented era.
std::u16string ExpandClockPattern(const ClockMoment& moment, std::u16string_view pattern) {
  const JapaneseEra* era = EraFor(moment);
  const int eraYear = era ? moment.year - era->year + 1 : moment.year;
  std::u16string out;
  out.reserve(pattern.size() * 2);
  bool minutesNext = false;  // an hour token was written and no minute token since

  size_t i = 0;
  while (i < pattern.size()) {
    const char16_t letter = TokenLetter(pattern[i]);
    if (letter == 0) {
      out += pattern[i++];
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && TokenLetter(pattern[i + run]) == letter) ++run;
    i += run;

    switch (letter) {
      case u'Y':
        if (run >= 4)
          AppendNumber(out, moment.year, 4);
        else
          AppendNumber(out, std::llabs(int64_t{moment.year}) % 100, 2);
        break;
      case u'M': {
        const int value = minutesNext ? moment.minute : moment.month;
        minutesNext = false;
        AppendNumber(out, value, FieldWidth(run));
        break;
      }
      case u'D':
        if (run >= 3)
          out += kWeekdayEnglish[static_cast<size_t>(Weekday(moment))];
        else
          AppendNumber(out, moment.day, FieldWidth(run));
        break;
      case u'H':
        AppendNumber(out, moment.hour, FieldWidth(run));
        minutesNext = true;
        break;
      case u'S':
        AppendNumber(out, moment.second, FieldWidth(run));
        break;
      case u'G':
        if (era) {
          if (run >= 3)
            out += era->name;
          else
            out += era->initial;
        }
        break;
      case u'E':
        AppendNumber(out, eraYear, FieldWidth(run));
        break;
      case u'a': {
        const size_t weekday = static_cast<size_t>(Weekday(moment));
        out += run >= 4 ? kWeekdayLong[weekday] : kWeekdayShort[weekday];
        break;
      }
    }
  }
  return out;
}

}  // namespace lum
