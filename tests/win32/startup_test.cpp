// Start-up of the tray form against real LUM.ini files: the default file of the first run,
// the reading of every setting, the single instance, and files that are broken or locked.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/tray_form.h"
#include "config/settings.h"
#include "news/channels.h"
#include "platform/scoped_win.h"
#include "settings/settings_menu.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using lum::TrayForm;
using lum::Settings;
using lum::TrayFormOptions;
using lumtest::TempFolder;

// The files are read and written in the ANSI code page; every expected byte below is CP932.
TEST(Environment, RunsWithTheJapaneseAnsiCodePage) {
  ASSERT_EQ(GetACP(), 932u) << "run the Win32 tests with LANG=ja_JP.UTF-8 (scripts/wine-env.sh)";
}

bool MenuMarked(const TrayForm& form, UINT command) {
  return (GetMenuState(form.trayMenu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The default file, byte for byte. "表" ends in 0x5C, the backslash byte, and the folder name
// is Japanese: both have to come out as CP932, not as UTF-8 or question marks. (The digits
// after a character are escaped too, as \x31 and \x30, so that no escape runs into them.)
TEST(DefaultIni, TextIsFourteenCp932LinesEachEndedWithCrLf) {
  const std::string expected =
      "[DEFAULT]\r\n"
      "PICTURE=C:\\\x83\x63\x81\x5B\x83\x8B\\Lumbrel\\Lum1.bmp\r\n"
      "COLOR=16777215\r\n"
      "ALIGENMENT=1\r\n"
      "FONT=1\r\n"
      ";;TIMER\x82\xCD\x31\x82\xAA\x95\x5C\x8E\xA6\x81\x41\x30\x82\xAA\x94\xF1\x95\x5C\x8E\xA6\r\n"
      "TIMER=1\r\n"
      "ANIMATION=1\r\n"
      "NEWS=0\r\n"
      "CONNECT=0\r\n"
      "\r\n"
      "[CUSTOMIZE]\r\n"
      "TOP=1\r\n"
      "LEFT=0\r\n";
  EXPECT_EQ(lum::ToAnsi(lum::DefaultIniText(u"C:\\ツール\\Lumbrel")), expected);
}

class StartupFixture : public testing::Test {
 protected:
  std::u16string IniPath() const { return folder_.File(lum::kIniName); }

  TrayForm& MakeForm() {
    form_ = std::make_unique<TrayForm>(store_, TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName()});
    return *form_;
  }

  // Writes LUM.ini, then starts a form on the folder; the form lives until the test ends.
  TrayForm& LoadWith(const std::string& iniBytes) {
    EXPECT_TRUE(lumtest::WriteFileBytes(IniPath(), iniBytes));
    TrayForm& form = MakeForm();
    EXPECT_TRUE(form.Form_Load());
    return form;
  }

  // Declared in this order so that the form goes first, then the settings it refers to,
  // and the folder last.
  TempFolder folder_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<TrayForm> form_;
};

// FIRST=1 keeps the first-run guide from opening during the tests.
std::string Ini(const std::string& defaultLines, const std::string& customizeLines = "") {
  return "[DEFAULT]\r\nFIRST=1\r\n" + defaultLines + "[CUSTOMIZE]\r\n" + customizeLines;
}

using DefaultIniOnDisk = StartupFixture;

// The first run writes the default file, marks FIRST and reads the defaults back in.
TEST_F(DefaultIniOnDisk, FirstRunWritesTheDefaultsAndMarksFirst) {
  ASSERT_FALSE(lumtest::FileIsThere(IniPath()));
  ASSERT_TRUE(MakeForm().Form_Load());

  const std::string bytes = lumtest::ReadFileBytes(IniPath());
  const std::string picture = "PICTURE=" + lum::ToAnsi(folder_.path()) + "\\Lum1.bmp";
  EXPECT_EQ(bytes.rfind("[DEFAULT]\r\n" + picture + "\r\n", 0), 0u) << bytes;

  // Writing FIRST lets the profile functions rewrite the file (Wine drops the blank line
  // between the sections), so only the non-blank lines are compared: the default lines,
  // with FIRST=1 added to the end of [DEFAULT].
  std::vector<std::string> lines;
  for (auto& line : SplitLines(bytes))
    if (!line.empty()) lines.push_back(line);
  std::vector<std::string> expected;
  for (auto& line : SplitLines(lum::ToAnsi(lum::DefaultIniText(folder_.path()))))
    if (!line.empty()) expected.push_back(line);
  expected.insert(expected.begin() + 10, "FIRST=1");  // after CONNECT=0
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(form_->ini().GetIniString(u"DEFAULT", u"FIRST"), u"1");

  EXPECT_EQ(settings_.textColor, 16777215);
  EXPECT_EQ(settings_.alignment, 1);
  EXPECT_EQ(settings_.fontWeight, 1);
  EXPECT_EQ(settings_.connectMode, 0);
  EXPECT_EQ(settings_.clockFlag, 0);
  EXPECT_FALSE(form_->startingUp());
  EXPECT_EQ(settings_.animationCheck(), 1);
  EXPECT_TRUE(MenuMarked(*form_, lum::kCmdAnimation));
  EXPECT_EQ(settings_.alignmentOption(), 1);
  EXPECT_EQ(settings_.fontOption(), 1);
  EXPECT_EQ(settings_.top, 1);
  EXPECT_EQ(settings_.left, 0);
  EXPECT_TRUE(form_->caption().picturePath().empty()) << "Lum1.bmp is not in the folder";
}

// A second start under the same instance name ends at once and touches nothing.
TEST_F(DefaultIniOnDisk, SecondInstanceEndsWithoutReadingOrWriting) {
  TempFolder otherFolder;
  lum::SettingsStore otherSettings;
  TrayForm first(otherSettings, TrayFormOptions{otherFolder.path(), lumtest::UniqueInstanceName()});
  ASSERT_TRUE(first.Form_Load());

  TrayForm& second = MakeForm();  // same instance name, empty folder
  EXPECT_FALSE(second.Form_Load());
  EXPECT_FALSE(lumtest::FileIsThere(IniPath()));
  EXPECT_EQ(settings_.alignment, 0);
  EXPECT_FALSE(form_->startingUp());
}

// One start-up read: a LUM.ini and what the settings and the form's controls hold after it.
struct ReadCase {
  const char* name;
  std::string defaultLines;
  std::string customizeLines;
  std::function<void(const Settings&, TrayForm&)> check;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class StartupRead : public StartupFixture, public testing::WithParamInterface<ReadCase> {};

TEST_P(StartupRead, SettingsAndControlsFollowTheFile) {
  const ReadCase& c = GetParam();
  LoadWith(Ini(c.defaultLines, c.customizeLines));
  c.check(settings_, *form_);
}

const std::u16string kLocalModeText = u"現在、ニュース購読はローカルモードに設定されています";

INSTANTIATE_TEST_SUITE_P(
    StartupFile, StartupRead,
    testing::Values(
        // [CUSTOMIZE] CLOCK picks the clock format; past the last one it falls back to 0.
        ReadCase{"ClockFormatPastTheLastIsZero", "", "CLOCK=115\r\n",
                 [](auto& s, auto&) { EXPECT_EQ(s.clockFormatIndex, 0); }},
        ReadCase{"ClockFormatLastIsKept", "", "CLOCK=114\r\n",
                 [](auto& s, auto&) { EXPECT_EQ(s.clockFormatIndex, 114); }},
        ReadCase{"ClockFormatNegativeIsKept", "", "CLOCK=-3\r\n",
                 [](auto& s, auto&) { EXPECT_EQ(s.clockFormatIndex, -3); }},
        ReadCase{"ClockFormatTextIsZero", "", "CLOCK=x\r\n", [](auto& s, auto&) { EXPECT_EQ(s.clockFormatIndex, 0); }},
        ReadCase{"ClockFormatAbsentIsZero", "CLOCK=5\r\n", "",
                 [](auto& s, auto&) { EXPECT_EQ(s.clockFormatIndex, 0) << "[DEFAULT] CLOCK is another key"; }},
        // ICON is on for any non-zero number, off for anything that is not a number.
        ReadCase{"IconTextIsOff", "ICON=abc\r\n", "", [](auto& s, auto&) { EXPECT_FALSE(s.iconOption); }},
        ReadCase{"IconTwoIsOn", "ICON=2\r\n", "", [](auto& s, auto&) { EXPECT_TRUE(s.iconOption); }},
        ReadCase{"IconZeroIsOff", "ICON=0\r\n", "", [](auto& s, auto&) { EXPECT_FALSE(s.iconOption); }},
        // [DEFAULT] CLOCK 1 shows the clock: the flag is its negation, the check box and menu follow.
        ReadCase{"ClockOneIsShown", "CLOCK=1\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(s.clockFlag, -1);
                   EXPECT_EQ(s.clockCheck(), 1);
                   EXPECT_TRUE(MenuMarked(f, lum::kCmdTimer));
                 }},
        ReadCase{"ClockAbsentIsHidden", "", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(s.clockFlag, 0);
                   EXPECT_EQ(s.clockCheck(), 0);
                   EXPECT_FALSE(MenuMarked(f, lum::kCmdTimer));
                 }},
        ReadCase{"ShadowAbsentIsOff", "", "",
                 [](auto& s, auto& f) {
                   EXPECT_FALSE(s.outline());
                   EXPECT_EQ(s.shadowColor, 0);
                   EXPECT_EQ(s.shadowCheck(), 0);
                   EXPECT_FALSE(MenuMarked(f, lum::kMnuShadow));
                 }},
        ReadCase{"ShadowAndColourAreRead", "SHADOW=1\r\nSHADOWCOLOR=255\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_TRUE(s.outline());
                   EXPECT_EQ(s.shadowColor, 255);
                   EXPECT_TRUE(MenuMarked(f, lum::kMnuShadow));
                 }},
        ReadCase{"AlignmentAndBoldSelectTheirOptions", "ALIGENMENT=1\r\nFONT=1\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(s.alignment, 1);
                   EXPECT_EQ(s.alignmentOption(), 1);
                   EXPECT_TRUE(MenuMarked(f, lum::kRightAli));
                   EXPECT_EQ(s.fontWeight, 1);
                   EXPECT_EQ(s.fontOption(), 1);
                   EXPECT_TRUE(MenuMarked(f, lum::kBoldFont));
                 }},
        ReadCase{"ConnectTwoIsLocalMode", "CONNECT=2\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(s.connectMode, 2);
                   EXPECT_EQ(f.news().txtNews(), kLocalModeText);
                 }},
        ReadCase{"ConnectTextIsNone", "CONNECT=two\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(s.connectMode, 0);
                   EXPECT_EQ(f.news().txtNews(), lum::InitialNewsNotice()) << "no mode's notice";
                 }},
        // Without channel files the news menu and its timer stay off whatever NEWS says.
        ReadCase{"NoChannelsTurnNewsOff", "NEWS=1\r\nCONNECT=1\r\n", "",
                 [](auto& s, auto& f) {
                   EXPECT_EQ(f.channelTable().size(), 1u);
                   EXPECT_EQ(GetMenuState(f.trayMenu(), lum::kMnuNewsFirst, MF_BYCOMMAND), static_cast<UINT>(-1));
                   EXPECT_FALSE(f.newsController().timNewsEnabled());
                   EXPECT_FALSE(s.newsOn());
                 }}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

int ScreenTwips(int metric, int axis) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return lum::PixelsToTwips(GetSystemMetrics(metric), dpi);
}

using FormPosition = StartupFixture;

// TOP and LEFT are twips; a position at or past the screen's far edge is reset to 0.
TEST_F(FormPosition, OffTheScreenIsResetOnTheScreenIsKept) {
  const int height = ScreenTwips(SM_CYSCREEN, LOGPIXELSY);
  const int width = ScreenTwips(SM_CXSCREEN, LOGPIXELSX);
  ASSERT_GT(height, 0);
  struct Case {
    std::string lines;
    int top, left;
  };
  const Case cases[] = {
      {"TOP=" + std::to_string(height) + "\r\nLEFT=" + std::to_string(width) + "\r\n", 0, 0},
      {"TOP=" + std::to_string(height - 1) + "\r\nLEFT=" + std::to_string(width - 1) + "\r\n", height - 1, width - 1},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    form_.reset();
    const TrayForm& form = LoadWith(Ini("", c.lines));
    EXPECT_EQ(settings_.top, c.top);
    EXPECT_EQ(settings_.left, c.left);
    (void)form;
  }
}

// The profile buffer holds 128 bytes: longer values are cut at 127 characters and nothing
// spills past the buffer.
TEST_F(FormPosition, LongValuesAreCutAt127Characters) {
  std::string digits(200, '7');
  std::string letters;
  for (int i = 0; i < 200; ++i) letters += static_cast<char>('a' + i % 26);
  std::string japanese;
  for (int i = 0; i < 200; ++i) japanese += "\x82\xA0";  // あ
  const TrayForm& form = LoadWith(Ini("COLOR=" + digits + "\r\nPICTURE=" + letters + "\r\nNOTE=" + letters +
                                   "\r\nJAPANESE=" + japanese + "\r\n" + "K" + letters + "=1\r\n"));
  EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", u"NOTE"), lumtest::Utf16(letters.substr(0, 127)));
  EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", u"COLOR"), lumtest::Utf16(digits.substr(0, 127)));
  EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", lumtest::Utf16("K" + letters)), u"1");

  // Read as characters: a Japanese value is cut at 127 of them too, not at 127 bytes.
  EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", u"JAPANESE"), std::u16string(127, u'あ'));

  EXPECT_EQ(settings_.textColor, 0) << "127 sevens are no 32-bit colour";
  EXPECT_TRUE(const_cast<TrayForm&>(form).caption().picturePath().empty());
}

using BrokenIni = StartupFixture;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(byte(random));
  return bytes;
}

void ExpectNothingRead(const Settings& s, const TrayForm& form) {
  EXPECT_EQ(s.textColor, 0);
  EXPECT_EQ(s.clockFlag, 0);
  EXPECT_EQ(s.alignment, 0);
  EXPECT_EQ(s.fontWeight, 0);
  EXPECT_EQ(s.connectMode, 0);
  EXPECT_EQ(s.clockFormatIndex, 0);
  EXPECT_FALSE(s.iconOption);
  EXPECT_FALSE(form.startingUp());
  EXPECT_EQ(s.top, 0);
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.animationCheck(), 0);
}

TEST_F(BrokenIni, RandomBytesReadAsMissingKeys) {
  const std::string bytes = RandomBytes(4096, 20240601);
  ASSERT_NE(bytes.find('\0'), std::string::npos);
  LoadWith(bytes);
  ExpectNothingRead(settings_, *form_);
}

TEST_F(BrokenIni, OneMegabyteOfRandomBytesReadsAsMissingKeys) {
  LoadWith(RandomBytes(1 << 20, 7));
  ExpectNothingRead(settings_, *form_);
}

// A read-only LUM.ini is still read; marking the first run fails quietly and leaves the
// file as it was.
TEST_F(BrokenIni, ReadOnlyFileIsReadAndLeftUnchanged) {
  const std::string bytes = "[DEFAULT]\r\nCOLOR=255\r\nCLOCK=1\r\n\r\n[CUSTOMIZE]\r\nCLOCK=3\r\n";
  ASSERT_TRUE(lumtest::WriteFileBytes(IniPath(), bytes));
  ASSERT_TRUE(SetFileAttributesW(lum::Wide(IniPath()), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as Unix permissions, which do not stop root; a handle that
  // shares reading only makes every write fail here as the attribute does on Windows.
  lum::ScopedHandle denyWrite(CreateFileW(lum::Wide(IniPath()), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(denyWrite);

  EXPECT_TRUE(MakeForm().Form_Load());
  EXPECT_EQ(settings_.textColor, 255);
  EXPECT_EQ(settings_.clockFlag, -1);
  EXPECT_EQ(settings_.clockFormatIndex, 3);
  EXPECT_FALSE(form_->startingUp());
  EXPECT_EQ(lumtest::ReadFileBytes(IniPath()), bytes);

  form_.reset();
  denyWrite.reset();
  EXPECT_EQ(lumtest::ReadFileBytes(IniPath()), bytes);
  SetFileAttributesW(lum::Wide(IniPath()), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
