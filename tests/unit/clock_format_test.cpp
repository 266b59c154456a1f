#include "render/clock_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <string>

namespace lum {
namespace {

// The moment the clock dialog shows every row with: a Saturday in 平成12.
constexpr ClockMoment kSample{2000, 1, 1, 1, 30, 0};

std::u16string Row(int32_t index, const ClockMoment& moment) { return ExpandClockPattern(moment, FormatClock(index)); }

// Written out by hand from the token rules, row by row.
constexpr const char16_t* kSampleRows[] = {
    u"01:30:00",                          // 0
    u"01時30分00秒",                      // 1
    u"1:30:0",                            // 2
    u"1時30分1",                          // 3
    u"2000/01/01 01:30:00",               // 4
    u"00/01/01 01:30:00",                 // 5
    u"2000/1/1 1:30:0",                   // 6
    u"00/1/1 1:30:0",                     // 7
    u"2000年01月01日 01:30:00",           // 8
    u"00年01月01日 01:30:00",             // 9
    u"2000年1月1日 1:30:0",               // 10
    u"00年1月1日 1:30:0",                 // 11
    u"平成12年01月01日 01:30:00",         // 12
    u"H12年01月01日 01:30:00",            // 13
    u"平成12年1月1日 1:30:0",             // 14
    u"H12年1月1日 1:30:0",                // 15
    u"2000/01/01 土曜日 01:30:00",        // 16
    u"00/01/01 土曜日 01:30:00",          // 17
    u"2000/1/1 土曜日 1:30:0",            // 18
    u"00/1/1 土曜日 1:30:0",              // 19
    u"2000年01月01日 土曜日 01:30:00",    // 20
    u"00年01月01日 土曜日 01:30:00",      // 21
    u"2000年1月1日 土曜日 1:30:0",        // 22
    u"00年1月1日 土曜日 1:30:0",          // 23
    u"平成12年01月01日 土曜日 01:30:00",  // 24
    u"H12年01月01日 土曜日 01:30:00",     // 25
    u"平成12年1月1日 土曜日 1:30:0",      // 26
    u"H12年1月1日 土曜日 1:30:0",         // 27
    u"2000/01/01 土 01:30:00",            // 28
    u"00/01/01 土 01:30:00",              // 29
    u"2000/1/1 土 1:30:0",                // 30
    u"00/1/1 土 1:30:0",                  // 31
    u"2000年01月01日 土 01:30:00",        // 32
    u"00年01月01日 土 01:30:00",          // 33
    u"2000年1月1日 土 1:30:0",            // 34
    u"00年1月1日 土 1:30:0",              // 35
    u"平成12年01月01日 土 01:30:00",      // 36
    u"H12年01月01日 土 01:30:00",         // 37
    u"平成12年1月1日 土 1:30:0",          // 38
    u"H12年1月1日 土 1:30:0",             // 39
    u"2000/01/01 Sat 01:30:00",           // 40
    u"00/01/01 Sat 01:30:00",             // 41
    u"2000/1/1 Sat 1:30:0",               // 42
    u"00/1/1 Sat 1:30:0",                 // 43
    u"2000年01月01日 Sat 01:30:00",       // 44
    u"00年01月01日 Sat 01:30:00",         // 45
    u"2000年1月1日 Sat 1:30:0",           // 46
    u"00年1月1日 Sat 1:30:0",             // 47
    u"平成12年01月01日 Sat 01:30:00",     // 48
    u"H12年01月01日 Sat 01:30:00",        // 49
    u"平成12年1月1日 Sat 1:30:0",         // 50
    u"H12年1月1日 Sat 1:30:0",            // 51
    u"2000/01/01",                        // 52
    u"00/01/01",                          // 53
    u"2000/1/1",                          // 54
    u"00/1/1",                            // 55
    u"2000年01月01日",                    // 56
    u"00年01月01日",                      // 57
    u"2000年1月1日",                      // 58
    u"00年1月1日",                        // 59
    u"平成12年01月01日",                  // 60
    u"H12年01月01日",                     // 61
    u"平成12年1月1日",                    // 62
    u"H12年1月1日",                       // 63
    u"2000/01/01 土曜日",                 // 64
    u"00/01/01 土曜日",                   // 65
    u"2000/1/1 土曜日",                   // 66
    u"00/1/1 土曜日",                     // 67
    u"2000年01月01日 土曜日",             // 68
    u"00年01月01日 土曜日",               // 69
    u"2000年1月1日 土曜日",               // 70
    u"00年1月1日 土曜日",                 // 71
    u"平成12年01月01日 土曜日",           // 72
    u"H12年01月01日 土曜日",              // 73
    u"平成12年1月1日 土曜日",             // 74
    u"H12年1月1日 土曜日",                // 75
    u"2000/01/01 土",                     // 76
    u"00/01/01 土",                       // 77
    u"2000/1/1 土",                       // 78
    u"00/1/1 土",                         // 79
    u"2000年01月01日 土",                 // 80
    u"00年01月01日 土",                   // 81
    u"2000年1月1日 土",                   // 82
    u"00年1月1日 土",                     // 83
    u"平成12年01月01日 土",               // 84
    u"H12年01月01日 土",                  // 85
    u"平成12年1月1日 土",                 // 86
    u"H12年1月1日 土",                    // 87
    u"2000/01/01 Sat",                    // 88
    u"00/01/01 Sat",                      // 89
    u"2000/1/1 Sat",                      // 90
    u"00/1/1 Sat",                        // 91
    u"2000年01月01日 Sat",                // 92
    u"00年01月01日 Sat",                  // 93
    u"2000年1月1日 Sat",                  // 94
    u"00年1月1日 Sat",                    // 95
    u"平成12年01月01日 Sat",              // 96
    u"H12年01月01日 Sat",                 // 97
    u"平成12年1月1日 Sat",                // 98
    u"01月01日 Sat 01:30:00",             // 99
    u"01月01日 土 01:30:00",              // 100
    u"01月01日 土曜日 01:30:00",          // 101
    u"1月1日 Sat 1:30:0",                 // 102
    u"1月1日 土 1:30:0",                  // 103
    u"1月1日 土曜日 1:30:0",              // 104
    u"01/01 Sat 01:30:00",                // 105
    u"01/01 土 01:30:00",                 // 106
    u"01/01 土曜日 01:30:00",             // 107
    u"1/1 Sat 1:30:0",                    // 108
    u"1/1 土 1:30:0",                     // 109
    u"1/1 土曜日 1:30:0",                 // 110
    u"01月01日 01:30:00",                 // 111
    u"1月1日 1:30:0",                     // 112
    u"01/01 01:30:00",                    // 113
    u"1/1 1:30:0",                        // 114
};
static_assert(std::size(kSampleRows) == kClockFormatCount);

TEST(ClockFormat, EveryRowExpandsAtTheSampleMoment) {
  for (int32_t i = 0; i < kClockFormatCount; ++i) EXPECT_EQ(Row(i, kSample), kSampleRows[i]) << "row " << i;
}

TEST(ClockFormat, IndexOutsideTheTableGivesAnEmptyPattern) {
  for (int32_t index : {kClockFormatCount, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(FormatClock(index), u"") << index;
    EXPECT_EQ(ExpandClockPattern(kSample, FormatClock(index)), u"") << index;
  }
  EXPECT_EQ(FormatClock(0), u"HH:MM:SS");
  EXPECT_EQ(FormatClock(114), u"M/D H:M:S");
}

// The sample moment has month, day and hour all 1; here every field differs, so a token
// that reads the wrong field shows.
TEST(ClockPattern, EachTokenReadsItsOwnField) {
  const ClockMoment m{2023, 11, 27, 8, 5, 9};  // a Monday in 令和5
  EXPECT_EQ(Row(3, m), u"8時5分27");
  EXPECT_EQ(Row(4, m), u"2023/11/27 08:05:09");
  EXPECT_EQ(Row(7, m), u"23/11/27 8:5:9");
  EXPECT_EQ(Row(12, m), u"令和05年11月27日 08:05:09");
  EXPECT_EQ(Row(15, m), u"R5年11月27日 8:5:9");
  EXPECT_EQ(Row(27, m), u"R5年11月27日 月曜日 8:5:9");
  EXPECT_EQ(Row(43, m), u"23/11/27 Mon 8:5:9");
  EXPECT_EQ(Row(99, m), u"11月27日 Mon 08:05:09");
  EXPECT_EQ(Row(103, m), u"11月27日 月 8:5:9");
  EXPECT_EQ(ExpandClockPattern({2007, 6, 5, 4, 3, 2}, u"YY"), u"07");
}

TEST(ClockPattern, NinthEraYearPadsOnlyInTheTwoLetterForm) {
  const ClockMoment m{1997, 3, 4, 5, 6, 7};  // 平成9
  EXPECT_EQ(Row(12, m), u"平成09年03月04日 05:06:07");
  EXPECT_EQ(Row(15, m), u"H9年3月4日 5:6:7");
}

TEST(ClockPattern, MonthTurnsIntoMinutesOnlyAfterAnHour) {
  const ClockMoment m{2023, 11, 27, 8, 5, 9};
  EXPECT_EQ(ExpandClockPattern(m, u"M H M M"), u"11 8 5 11");  // one minute token per hour token
  EXPECT_EQ(ExpandClockPattern(m, u"MM HH:MM H M"), u"11 08:05 8 5");
  EXPECT_EQ(ExpandClockPattern(m, u"H D Y S M"), u"8 27 23 9 5");  // other tokens between keep it pending
  EXPECT_EQ(ExpandClockPattern(m, u"S M"), u"9 11");
}

TEST(ClockPattern, MidnightAndTheLastSecondOfTheDay) {
  EXPECT_EQ(ExpandClockPattern({2000, 1, 1, 0, 0, 0}, u"HH:MM:SS"), u"00:00:00");
  EXPECT_EQ(ExpandClockPattern({2000, 1, 1, 0, 0, 0}, u"H:M:S"), u"0:0:0");
  EXPECT_EQ(ExpandClockPattern({1999, 12, 31, 23, 59, 59}, u"H:M:S"), u"23:59:59");
  EXPECT_EQ(Row(4, {1999, 12, 31, 23, 59, 59}), u"1999/12/31 23:59:59");
}

TEST(ClockPattern, LetterCaseOddRunsAndOtherCharacters) {
  EXPECT_EQ(ExpandClockPattern(kSample, u"yyyy/mm/dd hh:mm:ss ggge g"), u"2000/01/01 01:30:00 平成12 H");
  EXPECT_EQ(ExpandClockPattern(kSample, u"yyYY"), u"2000");  // mixed case is still one run
  // Lengths the table never uses take the nearest defined form (see ExpandClockPattern).
  EXPECT_EQ(ExpandClockPattern(kSample, u"Y|YYY|YYYYY"), u"00|00|2000");
  EXPECT_EQ(ExpandClockPattern(kSample, u"MMM|HHH:MMM|SSS"), u"01|01:30|00");
  EXPECT_EQ(ExpandClockPattern(kSample, u"GG|GGGG|EEE"), u"H|平成|12");
  EXPECT_EQ(ExpandClockPattern(kSample, u"a|aa|aaaaa"), u"土|土|土曜日");
  EXPECT_EQ(ExpandClockPattern(kSample, u"dd|dddd|DDD"), u"01|Sat|Sat");
  // Non-token letters, "A", punctuation and a surrogate pair pass through untouched.
  EXPECT_EQ(ExpandClockPattern(kSample, u"Tz A! 😀 年月日時分秒"), u"Tz A! 😀 年月日時分秒");
  EXPECT_EQ(ExpandClockPattern(kSample, u""), u"");
}

TEST(ClockPattern, WeekdayFormsThroughAWeek) {
  const char16_t* expected[] = {u"日曜日 日 Sun", u"月曜日 月 Mon", u"火曜日 火 Tue", u"水曜日 水 Wed",
                                u"木曜日 木 Thu", u"金曜日 金 Fri", u"土曜日 土 Sat"};
  for (int day = 2; day <= 8; ++day)  // 2000-01-02 is a Sunday
    EXPECT_EQ(ExpandClockPattern({2000, 1, day, 12, 0, 0}, u"aaaa aaa ddd"), expected[day - 2]) << day;
  // Leap days in a leap century and around a common one.
  EXPECT_EQ(ExpandClockPattern({2000, 2, 29, 0, 0, 0}, u"ddd"), u"Tue");
  EXPECT_EQ(ExpandClockPattern({2000, 3, 1, 0, 0, 0}, u"ddd"), u"Wed");
  EXPECT_EQ(ExpandClockPattern({1900, 2, 28, 0, 0, 0}, u"ddd"), u"Wed");
  EXPECT_EQ(ExpandClockPattern({1900, 3, 1, 0, 0, 0}, u"ddd"), u"Thu");
  EXPECT_EQ(ExpandClockPattern({2024, 2, 29, 0, 0, 0}, u"ddd"), u"Thu");
}

TEST(ClockEra, TableHoldsTheFiveModernEras) {
  const auto eras = JapaneseEras();
  ASSERT_EQ(eras.size(), 5u);
  struct Expected {
    const char16_t* name;
    char16_t initial;
    int year, month, day;
  };
  const Expected expected[] = {{u"明治", u'M', 1868, 1, 1},
                               {u"大正", u'T', 1912, 7, 30},
                               {u"昭和", u'S', 1926, 12, 25},
                               {u"平成", u'H', 1989, 1, 8},
                               {u"令和", u'R', 2019, 5, 1}};
  for (size_t i = 0; i < eras.size(); ++i) {
    EXPECT_EQ(eras[i].name, expected[i].name) << i;
    EXPECT_EQ(eras[i].initial, expected[i].initial) << i;
    EXPECT_EQ(eras[i].year, expected[i].year) << i;
    EXPECT_EQ(eras[i].month, expected[i].month) << i;
    EXPECT_EQ(eras[i].day, expected[i].day) << i;
  }
}

TEST(ClockEra, EraChangesOnItsFirstDayAndTheEraYearOnNewYear) {
  struct Case {
    ClockMoment moment;
    const char16_t* expected;
  };
  const Case cases[] = {
      {{1868, 1, 1, 0, 0, 0}, u"明治1 M1"},       {{1912, 7, 29, 23, 59, 59}, u"明治45 M45"},
      {{1912, 7, 30, 0, 0, 0}, u"大正1 T1"},      {{1926, 12, 24, 23, 59, 59}, u"大正15 T15"},
      {{1926, 12, 25, 0, 0, 0}, u"昭和1 S1"},     {{1927, 1, 1, 0, 0, 0}, u"昭和2 S2"},
      {{1989, 1, 7, 23, 59, 59}, u"昭和64 S64"},  {{1989, 1, 8, 0, 0, 0}, u"平成1 H1"},
      {{1989, 12, 31, 0, 0, 0}, u"平成1 H1"},     {{1990, 1, 1, 0, 0, 0}, u"平成2 H2"},
      {{2019, 4, 30, 23, 59, 59}, u"平成31 H31"}, {{2019, 5, 1, 0, 0, 0}, u"令和1 R1"},
      {{2020, 1, 1, 0, 0, 0}, u"令和2 R2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExpandClockPattern(c.moment, u"GGGE GE"), c.expected)
        << c.moment.year << "-" << c.moment.month << "-" << c.moment.day;
  EXPECT_EQ(Row(12, {1989, 1, 7, 12, 0, 0}), u"昭和64年01月07日 12:00:00");
  EXPECT_EQ(Row(13, {2019, 5, 1, 12, 0, 0}), u"R01年05月01日 12:00:00");
}

// Before 明治 there is no era to name: the era tokens write nothing and the era year falls back
// to the Gregorian year.
TEST(ClockEra, BeforeMeijiNoEraIsInvented) {
  const ClockMoment m{1867, 12, 31, 23, 59, 59};  // a Tuesday
  EXPECT_EQ(EraFor(m), nullptr);
  EXPECT_EQ(Row(12, m), u"1867年12月31日 23:59:59");
  EXPECT_EQ(Row(15, m), u"1867年12月31日 23:59:59");
  EXPECT_EQ(Row(51, m), u"1867年12月31日 Tue 23:59:59");
  ASSERT_NE(EraFor({1868, 1, 1, 0, 0, 0}), nullptr);
  EXPECT_EQ(EraFor({1868, 1, 1, 0, 0, 0})->initial, u'M');
}

// The shell passes whatever the system clock gives; nonsense fields must print, not crash.
TEST(ClockPattern, OutOfRangeFieldsStayInBounds) {
  EXPECT_EQ(ExpandClockPattern({INT_MIN, 1, 1, 0, 0, 0}, u"YYYY YY GGGEE"), u"-2147483648 48 -2147483648");
  EXPECT_EQ(ExpandClockPattern({INT_MAX, 1, 1, 0, 0, 0}, u"YYYY GE"), u"2147483647 R2147481629");
  // Months and days past their ends roll over for the weekday: 1999-13-01 is 2000-01-01.
  EXPECT_EQ(ExpandClockPattern({1999, 13, 1, 0, 0, 0}, u"ddd M"), u"Sat 13");
  EXPECT_EQ(ExpandClockPattern({2000, 1, 0, 0, 0, 0}, u"ddd D"), u"Fri 0");
  EXPECT_EQ(ExpandClockPattern({2000, INT_MIN, INT_MAX, -1, -5, 99}, u"MM DD HH:MM:SS"),
            u"-2147483648 2147483647 -01:-05:99");
  for (int wd : {INT_MIN, -1, 0, 13, INT_MAX})
    EXPECT_EQ(ExpandClockPattern({wd, wd, wd, 0, 0, 0}, u"aaaa").size(), 3u) << wd;
}

}  // namespace
}  // namespace lum
