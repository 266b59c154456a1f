// LUM.ini in a folder whose name the code page may not write, under the test run's code page:
// 932 in the main run, 1252 (an English Windows) in the second run scripts/test.sh makes.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/tray_form.h"
#include "config/settings.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "settings/settings_menu.h"
#include "test_support.h"

namespace {

bool StartsUtf16(const std::string& bytes) { return bytes.rfind("\xFF\xFE", 0) == 0; }

std::u16string MakeFolder(const lumtest::TempFolder& base, std::u16string_view name) {
  const std::u16string folder = base.File(name);
  EXPECT_TRUE(CreateDirectoryW(lum::Wide(folder), nullptr));
  return folder;
}

// An ANSI file keeps its code page until a value needs more; then it becomes UTF-16 and every
// value, old and new, reads back as written. A Japanese path fits CP932 and not 1252; Hangul
// fits neither.
TEST(LumIni, StaysAnsiUntilAValueNeedsMoreThenUnicodeWithNothingLost) {
  const UINT codePage = GetACP();
  ASSERT_TRUE(codePage == 932 || codePage == 1252) << codePage;
  lumtest::TempFolder base;
  const std::u16string folder = MakeFolder(base, u"ルンブル");
  const lum::ProfileFile ini(folder + u"\\LUM.ini");
  ASSERT_TRUE(lumtest::WriteFileBytes(ini.path(), "[DEFAULT]\r\nCOLOR=255\r\n"));

  const std::u16string picture = folder + u"\\壁紙\\夕焼け.bmp";
  const struct {
    std::u16string_view section, key, value;
    bool unicodeAfter;
  } steps[] = {{u"DEFAULT", u"NEWS", u"1", false},
               {u"DEFAULT", u"PICTURE", picture, codePage != 932},
               {u"NEWS", u"名前", u"天気予報", codePage != 932},
               {u"NEWS", u"한국", u"뉴스", true},
               {u"DEFAULT", u"NEWS", u"2", true}};
  int number = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE("step " + std::to_string(++number));
    ASSERT_TRUE(ini.Write(step.section, step.key, step.value));
    const std::string bytes = lumtest::ReadFileBytes(ini.path());
    EXPECT_EQ(StartsUtf16(bytes), step.unicodeAfter);
    if (!step.unicodeAfter && step.key == u"PICTURE")
      EXPECT_NE(bytes.find("PICTURE=" + lum::ToAnsi(picture) + "\r\n"), std::string::npos) << "not CP932 as before";
    EXPECT_EQ(ini.GetIniString(step.section, step.key), step.value);
    EXPECT_EQ(ini.GetIniString(u"DEFAULT", u"COLOR"), u"255") << "the line the file had";
  }
  EXPECT_EQ(ini.GetIniString(u"DEFAULT", u"PICTURE"), picture);
  EXPECT_EQ(ini.GetIniString(u"NEWS", u"名前"), u"天気予報");
  EXPECT_EQ(ini.GetIniString(u"DEFAULT", u"NEWS"), u"2");
  EXPECT_TRUE(ini.IsUnicode());
  EXPECT_FALSE(lumtest::FileIsThere(ini.path() + u".new"));
}

// The first run in the program folder C:\...\ルンブル: the default file comes out CP932 byte for
// byte where the code page writes the name, UTF-16 where it cannot; either way the picture is
// the folder's, FIRST is written, and a menu choice changes the file.
TEST(LumIni, FirstRunInAJapaneseFolderReadsAndWritesItsSettings) {
  lumtest::TempFolder base;
  const std::u16string folder = MakeFolder(base, u"ルンブル");
  const std::u16string path = folder + u"\\" + std::u16string(lum::kIniName);
  lum::SettingsStore store;
  {
    lum::TrayForm form(store, lum::TrayFormOptions{folder, lumtest::UniqueInstanceName()});
    ASSERT_TRUE(form.Form_Load());
    const std::string bytes = lumtest::ReadFileBytes(path);
    if (GetACP() == 932) {
      EXPECT_FALSE(StartsUtf16(bytes));
      EXPECT_EQ(bytes.rfind("[DEFAULT]\r\nPICTURE=" + lum::ToAnsi(folder) + "\\Lum1.bmp\r\n", 0), 0u);
    } else {
      EXPECT_TRUE(StartsUtf16(bytes)) << "a folder the code page cannot write, in an ANSI file";
    }
    EXPECT_EQ(store.values().picture, folder + u"\\Lum1.bmp");
    EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", u"FIRST"), u"1");
    EXPECT_EQ(store.values().shadow, 0);
    form.RunMenuCommand(lum::kMnuShadow);
    form.subQuit();
  }
  lum::SettingsStore again;
  const lum::ProfileFile ini(path);
  again.Load(ini.Reader(), ini.Writer(), {});
  EXPECT_EQ(again.values().shadow, 1);
  EXPECT_EQ(again.values().picture, folder + u"\\Lum1.bmp");
  EXPECT_TRUE(again.values().firstRunDone);
}

}  // namespace
