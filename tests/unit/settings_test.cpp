#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "config/settings.h"
#include "config/settings_values.h"

namespace lum {
namespace {

TEST(SettingsValues, Int32ConversionIsStrict) {
  EXPECT_EQ(ToInt32(u"42"), 42);
  EXPECT_EQ(ToInt32(u"  -7 "), -7);
  EXPECT_EQ(ToInt32(u"+16777215"), 16777215);
  EXPECT_EQ(ToInt32(u"2147483647"), 2147483647);
  EXPECT_EQ(ToInt32(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ToInt32(u"2.5"), 2);  // halves go to the even neighbour
  EXPECT_EQ(ToInt32(u"3.5"), 4);
  for (auto bad : {u"", u" ", u"abc", u"12abc", u"1 2", u"-", u".", u"2147483648", u"99999999999999999999", u"0x10"})
    EXPECT_EQ(ToInt32(bad), std::nullopt) << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  EXPECT_EQ(IntOrZero(u"junk"), 0);
}

TEST(SettingsValues, Int16ConversionFailsOutsideItsRange) {
  EXPECT_EQ(ToInt16(u"32767"), 32767);
  EXPECT_EQ(ToInt16(u"-32768"), -32768);
  EXPECT_EQ(ToInt16(u"32768"), std::nullopt);
  EXPECT_EQ(ToInt16(u"3"), 3);
}

TEST(SettingsValues, DecimalTextRoundTrips) {
  EXPECT_EQ(ToDecimal(-123), u"-123");
  EXPECT_EQ(ToDecimal(16777215), u"16777215");
}

// A LUM.ini held in memory: keys "SECTION/KEY".
struct FakeIni {
  std::map<std::u16string, std::u16string> values;
  IniReader Reader() const {
    return [this](std::u16string_view section, std::u16string_view key) {
      auto it = values.find(std::u16string(section) + u"/" + std::u16string(key));
      return it == values.end() ? std::u16string() : it->second;
    };
  }
};

StartupEnvironment Screen(int channels = 0) { return {1024 * 15, 768 * 15, channels}; }

TEST(StartupSettings, DefaultFileReadsAsTheFirstRunState) {
  FakeIni ini;
  ini.values = {{u"DEFAULT/COLOR", u"16777215"}, {u"DEFAULT/ALIGENMENT", u"1"}, {u"DEFAULT/FONT", u"1"},
                {u"DEFAULT/TIMER", u"1"},        {u"DEFAULT/ANIMATION", u"1"}, {u"DEFAULT/NEWS", u"1"},
                {u"DEFAULT/CONNECT", u"0"},      {u"CUSTOMIZE/TOP", u"1"},     {u"CUSTOMIZE/LEFT", u"0"}};
  const Settings s = ReadSettings(ini.Reader(), Screen());
  EXPECT_EQ(s.top, 1);
  EXPECT_EQ(s.textColor, 16777215);
  EXPECT_EQ(s.alignment, 1);
  EXPECT_EQ(s.alignmentOption(), 1);
  EXPECT_EQ(s.clockAlignment, 1);  // not stored yet: the title's placement
  EXPECT_EQ(s.fontOption(), 1);
  EXPECT_EQ(s.clockFlag, 0);  // CLOCK, SHADOW and SHADOWCOLOR are not in the default file
  EXPECT_EQ(s.clock, 0);
  EXPECT_FALSE(s.outline());
  EXPECT_EQ(s.animationCheck(), 1);
  EXPECT_NE(s.animation, 0);
  EXPECT_EQ(s.connectMode, 0);
  // Without channels the news keys are not read.
  EXPECT_EQ(s.news, 0);
  EXPECT_EQ(s.newsInterval, 0);
  EXPECT_FALSE(s.firstRunDone);
}

TEST(StartupSettings, OutOfRangeValuesFollowTheConversionRules) {
  FakeIni ini;
  ini.values = {{u"DEFAULT/CLOCK", u"1"},         {u"DEFAULT/CHANNEL", u"7"},  {u"DEFAULT/TIMER", u"10"},
                {u"DEFAULT/ALIGENMENT", u"9"},   {u"DEFAULT/FONT", u"70000"}, {u"DEFAULT/SHADOW", u"5"},
                {u"DEFAULT/CONNECT", u"1"},      {u"DEFAULT/ANIMATION", u"3"}, {u"CUSTOMIZE/TOP", u"11520"},
                {u"CUSTOMIZE/LEFT", u"15359"}};
  const Settings s = ReadSettings(ini.Reader(), Screen(3));
  EXPECT_EQ(s.top, 0);       // at the screen height: off the screen
  EXPECT_EQ(s.left, 15359);  // one twip inside the width
  EXPECT_EQ(s.clockFlag, -1);
  EXPECT_EQ(s.alignment, 9);  // stored, though no option button has that index
  EXPECT_EQ(s.clockAlignment, 0);
  EXPECT_EQ(s.alignmentOption(), -1);
  EXPECT_EQ(s.fontWeight, 0);  // does not fit 16 bits: the setting keeps its value
  EXPECT_TRUE(s.outline());
  EXPECT_EQ(s.shadowCheck(), 0);  // a check box takes 0 to 2 only
  EXPECT_EQ(s.animationCheck(), 0);
  EXPECT_NE(s.animation, 0);  // the menu mark is on
  EXPECT_EQ(s.connectMode, 1);
  EXPECT_EQ(s.channel, 0);  // channel 7 of 3
  EXPECT_EQ(s.newsInterval, 10);
  EXPECT_EQ(NewsIntervalIndex(s.newsInterval), 2);
}

TEST(StartupSettings, ClockFormatAndIconOption) {
  struct Case {
    const char16_t* clock;
    int32_t index;
    const char16_t* icon;
    bool iconOption;
  };
  for (const Case& c : {Case{u"115", 0, u"abc", false}, Case{u"114", 114, u"2", true}, Case{u"-4", -4, u"0", false},
                        Case{u"", 0, u"", false}, Case{u"x", 0, u"0.5", true}}) {
    FakeIni ini;
    ini.values = {{u"CUSTOMIZE/CLOCK", c.clock}, {u"DEFAULT/ICON", c.icon}};
    const Settings s = ReadSettings(ini.Reader(), Screen());
    EXPECT_EQ(s.clockFormatIndex, c.index);
    EXPECT_EQ(s.iconOption, c.iconOption);
  }
}

// Every setter: the key it writes, the value it refuses, and the generation counting only
// what was taken.
TEST(SettingsStore, EachChangeIsWrittenAtOnceAndCounted) {
  FakeIni ini;
  ini.values = {{u"DEFAULT/ALIGENMENT", u"1"}};
  std::map<std::u16string, std::u16string> written;
  SettingsStore store;
  store.Load(ini.Reader(),
             [&](std::u16string_view section, std::u16string_view key, std::u16string_view value) {
               written[std::u16string(section) + u"/" + std::u16string(key)] = std::u16string(value);
             },
             Screen(2));
  EXPECT_TRUE(written.empty()) << "reading wrote";
  struct Case {
    const char* name;
    std::function<bool()> set;
    std::u16string key, value;  // empty key: refused, nothing written
  };
  const Case cases[] = {
      {"alignment", [&] { return store.SetAlignment(2); }, u"DEFAULT/ALIGENMENT", u"2"},
      {"alignment none keeps the clock's place", [&] { return store.SetAlignment(3); }, u"DEFAULT/CLOCKALIGENMENT",
       u"2"},
      {"alignment 4", [&] { return store.SetAlignment(4); }, u"", u""},
      {"font", [&] { return store.SetFontWeight(1); }, u"DEFAULT/FONT", u"1"},
      {"font 2", [&] { return store.SetFontWeight(2); }, u"", u""},
      {"clock", [&] { return store.SetClock(1); }, u"DEFAULT/CLOCK", u"1"},
      {"clock -1", [&] { return store.SetClock(-1); }, u"", u""},
      {"outline", [&] { return store.SetShadow(1); }, u"DEFAULT/SHADOW", u"1"},
      {"animation", [&] { return store.SetAnimation(0); }, u"DEFAULT/ANIMATION", u"0"},
      {"animation 3", [&] { return store.SetAnimation(3); }, u"", u""},
      {"scroll", [&] { return store.SetScrollMode(1); }, u"DEFAULT/SCROLL", u"1"},
      {"scroll 2", [&] { return store.SetScrollMode(2); }, u"", u""},
      {"news", [&] { return store.SetNews(1); }, u"DEFAULT/NEWS", u"1"},
      {"clock format", [&] { return store.SetClockFormat(114); }, u"CUSTOMIZE/CLOCK", u"114"},
      {"clock format 115", [&] { return store.SetClockFormat(115); }, u"", u""},
      {"colour", [&] { return store.SetTextColor(255), true; }, u"DEFAULT/COLOR", u"255"},
      {"picture", [&] { return store.SetPicture(u"C:\\p.bmp"), true; }, u"DEFAULT/PICTURE", u"C:\\p.bmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    written.clear();
    const uint32_t before = store.generation();
    EXPECT_EQ(c.set(), !c.key.empty());
    EXPECT_EQ(store.generation(), c.key.empty() ? before : before + 1);
    if (c.key.empty()) {
      EXPECT_TRUE(written.empty());
    } else {
      EXPECT_EQ(written[c.key], c.value);
    }
  }
  const Settings& s = store.values();
  EXPECT_EQ(s.alignment, 3);
  EXPECT_EQ(s.clockAlignment, 2);
  EXPECT_EQ(s.clockFlag, -1);
  EXPECT_EQ(s.fontWeight, 1);
  EXPECT_TRUE(s.newsOn());
  const CaptionStyle style = CaptionStyleOf(s);
  EXPECT_TRUE(style.bold && style.clockShown && style.outline && style.horizontalTicker && style.newsOn);
  EXPECT_EQ(style.textColor, 255);
}

TEST(StartupSettings, DefaultFileText) {
  std::u16string text = DefaultIniText(u"C:\\Lum");
  EXPECT_EQ(text,
            u"[DEFAULT]\r\nPICTURE=C:\\Lum\\Lum1.bmp\r\nCOLOR=16777215\r\nALIGENMENT=1\r\nFONT=1\r\n"
            u";;TIMERは1が表示、0が非表示\r\nTIMER=1\r\nANIMATION=1\r\nNEWS=0\r\nCONNECT=0\r\n\r\n"
            u"[CUSTOMIZE]\r\nTOP=1\r\nLEFT=0\r\n");
}

}  // namespace
}  // namespace lum
