#include <gtest/gtest.h>

#include "news/news_layout.h"
#include "news/ticker.h"

namespace lum {
namespace {

TEST(NewsLayout, WidensAndSpacesEveryCharacter) {
  std::u16string text = u"AB\r\n";
  NewsLayout layout = LayoutNewsText(text);
  EXPECT_EQ(text, u"\uFF21\uFF22\r\n");
  EXPECT_EQ(layout.text, u" \uFF21 \uFF22 \r\r\n    ");
  ASSERT_EQ(layout.lines.size(), 3u);
  EXPECT_EQ(layout.lines[0], u"");
  EXPECT_EQ(layout.lines[1], u" \uFF21 \uFF22 \r");
  EXPECT_EQ(layout.lines[2], u"");  // a text ending in LF has a last, empty line

  std::u16string spaced = u"a b";
  EXPECT_EQ(LayoutNewsText(spaced).text, u" \uFF41 \u3000 \uFF42");

  std::u16string empty;
  NewsLayout none = LayoutNewsText(empty);
  EXPECT_EQ(none.text, u"");
  EXPECT_EQ(none.lines, (std::vector<std::u16string>{u"", u""}));
}

TEST(NewsLayout, HalfWidthKatakanaBecomesFullWidthWithMarksComposed) {
  EXPECT_EQ(WidenText(u"ｶﾞｯｺｳ"), u"ガッコウ");
  EXPECT_EQ(WidenText(u"ﾊﾟﾝﾀﾞ ﾂﾞ ｳﾞ"), u"パンダ\u3000ヅ\u3000ヴ");
  EXPECT_EQ(WidenText(u"ｱﾞ"), u"ア゛");  // no composed form: the mark stays on its own
  EXPECT_EQ(WidenText(u"｡｢ｰ｣"), u"。「ー」");
  EXPECT_EQ(WidenText(u"漢字\t~"), u"漢字\t\uFF5E");
}

TEST(NewsLayout, CommaSeparatedItems) {
  EXPECT_EQ(CsvItemsToText(u"a,b\r\n  c\r\n"), u"a\r\nb\r\nc\r\n");
  EXPECT_EQ(CsvItemsToText(u"\"x, y\",z\n"), u"x, y\r\nz\r\n");
  EXPECT_EQ(CsvItemsToText(u""), u"");
  EXPECT_EQ(CsvItemsToText(u"last"), u"last\r\n");
}

TEST(HorizontalTicker, TextEntersAtTheRightAndWraps) {
  HorizontalTicker ticker;
  const std::u16string pad(40, u'\u3000');
  EXPECT_EQ(ticker.NextTickerWindow(u"ABC"), std::u16string(39, u'\u3000') + u"A");
  EXPECT_EQ(ticker.NextTickerWindow(u"ABC"), std::u16string(38, u'\u3000') + u"AB");
  EXPECT_EQ(ticker.NextTickerWindow(u"ABC"), std::u16string(37, u'\u3000') + u"ABC");
  // ABC and its 40 blanks have all entered after 43 paints; one paint brings nothing new,
  // the next starts again with A alone at the right.
  std::u16string frame;
  for (int i = 4; i <= 44; ++i) frame = ticker.NextTickerWindow(u"ABC");
  EXPECT_EQ(frame, pad);
  EXPECT_EQ(ticker.NextTickerWindow(u"ABC"), std::u16string(39, u'\u3000') + u"A");
  ticker.Reset();
  EXPECT_EQ(ticker.NextTickerWindow(u"XY"), std::u16string(39, u'\u3000') + u"X");
}

TEST(VerticalTicker, LinesRiseRestAndCycle) {
  VerticalTicker ticker;
  const CaptionRect area{30, 4, 400, 22};
  std::vector<int32_t> shown;
  int restFrames = 0;
  for (int paint = 0; paint < 400 && shown.size() < 5; ++paint) {
    int32_t index = ticker.Step(area, 4);
    if (ticker.lineRect().top == area.bottom - 4) shown.push_back(index);  // a line starts
    if (shown.size() == 1 && ticker.lineRect().top == area.top + 3) ++restFrames;
    ticker.SetMeasured(ticker.lineRect().right, ticker.lineRect().top + 12);
  }
  EXPECT_EQ(shown, (std::vector<int32_t>{1, 2, 3, 0, 1}));
  EXPECT_EQ(restFrames, 12);  // the paint it arrives on and eleven more
}

TEST(NewsRefetch, CountsMinuteBoundaries) {
  const int64_t last = MinuteNumber(2026, 12, 8, 10, 0);  // 10:00:59 cut to the minute
  EXPECT_FALSE(RefetchDue(last, MinuteNumber(2026, 12, 8, 10, 3), 3));
  EXPECT_TRUE(RefetchDue(last, MinuteNumber(2026, 12, 8, 10, 4), 3));
  EXPECT_TRUE(RefetchDue(MinuteNumber(1899, 12, 30, 0, 0), last, 30));  // never fetched
  EXPECT_EQ(MinuteNumber(2027, 1, 1, 0, 0) - MinuteNumber(2026, 12, 31, 23, 59), 1);
  EXPECT_EQ(MinuteNumber(2024, 3, 1, 0, 0) - MinuteNumber(2024, 2, 28, 0, 0), 2 * 24 * 60);
  // A TIMER below 1 waits as long as the smallest offered interval (3); 1 and 2 stay.
  for (int32_t interval : {0, -1, -2147483647 - 1}) {
    EXPECT_FALSE(RefetchDue(last, last, interval)) << interval;
    EXPECT_FALSE(RefetchDue(last, last + 3, interval)) << interval;
    EXPECT_TRUE(RefetchDue(last, last + 4, interval)) << interval;
  }
  EXPECT_TRUE(RefetchDue(last, last + 2, 1));
}

TEST(TickerGlyphs, ControlCharactersDrawNothing) {
  // The laid-out "A", CR LF, "B" with a tab and a NUL in it, as each ticker draws it.
  using namespace std::string_literals;
  const std::u16string laidOut = u" \uFF21 \r\r\n     \t \uFF22 \0 \x1B!"s;
  EXPECT_EQ(TickerGlyphs(laidOut, false), u" \uFF21        \uFF22  !");
  EXPECT_EQ(TickerGlyphs(laidOut, true), u" \uFF21 \r\r\n     \t \uFF22  !");
  EXPECT_EQ(TickerGlyphs(u"\x7F\u3000", false), u"\u3000");
}

}  // namespace
}  // namespace lum

#include "news/channels.h"

namespace lum {
namespace {

TEST(ChannelRecord, SplitsAtTheFirstTwoHashes) {
  auto channel = SplitChannelRecord(u"Tech#http://example.test/#news.example.test/a#b");
  ASSERT_TRUE(channel);
  EXPECT_EQ(channel->Name, u"Tech");
  EXPECT_EQ(channel->HomePage, u"http://example.test/");
  EXPECT_EQ(channel->Address, u"news.example.test/a#b");
  auto empty = SplitChannelRecord(u"##");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Name, u"");
  EXPECT_FALSE(SplitChannelRecord(u"only#one"));
  EXPECT_FALSE(SplitChannelRecord(u""));
}

TEST(ChannelRecord, OnlyWebAddressesMayBeOpened) {
  EXPECT_TRUE(IsWebAddress(u"http://example.test/"));
  EXPECT_TRUE(IsWebAddress(u"HTTPS://example.test/"));
  EXPECT_FALSE(IsWebAddress(u"C:\\Windows\\system32\\cmd.exe"));
  EXPECT_FALSE(IsWebAddress(u"file:///C:/x.exe"));
  EXPECT_FALSE(IsWebAddress(u" http://example.test/"));
  EXPECT_FALSE(IsWebAddress(u"http:"));
}

TEST(ChannelRecord, OnlyPlainNamesNameALocalFile) {
  for (const char16_t* name : {u"Lumbrel", u"ニュース 1", u"a.b", u".hidden"})
    EXPECT_TRUE(IsPlainFileName(name)) << testing::PrintToString(std::u16string(name));
  for (const char16_t* name : {u"..\\..\\x", u"../x", u"..", u"a..b", u"C:x", u"a\\b", u"a/b", u"", u"a\tb", u"a\rb",
                               u"a*", u"a?", u"<a>", u"a|b", u"\"a\""})
    EXPECT_FALSE(IsPlainFileName(name)) << testing::PrintToString(std::u16string(name));
}

TEST(ChannelRecord, NoticeHasNineLines) {
  std::u16string notice = InitialNewsNotice();
  size_t lines = 0;
  for (size_t at = notice.find(u"\r\n"); at != std::u16string::npos; at = notice.find(u"\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 9u);
  EXPECT_EQ(notice.substr(notice.size() - 25), std::u16string(23, u'\u3000') + u"\r\n");
}

}  // namespace
}  // namespace lum
