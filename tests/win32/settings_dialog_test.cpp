// The settings dialog over a loaded tray form: what loading writes (nothing), what each control
// writes and how both forms' menus follow, the saved place, dropped pictures, the channel list,
// and the page without channels.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/tray_form.h"
#include "platform/shell.h"
#include "settings/settings_dialog.h"
#include "settings/settings_menu.h"
#include "dpi_change_test.h"
#include "test_channels.h"
#include "test_support.h"

namespace {

using lum::TrayForm;
using lum::SettingsDialog;

class SettingsPage : public testing::Test {
 protected:
  // LUM.ini with FIRST=1, the given lines and TOP/LEFT; `channels` channel files; then the
  // tray form and its dialog.
  SettingsDialog& Open(int channels, const std::string& lines, const std::string& customize) {
    for (int i = 1; i <= channels; ++i) {
      CreateDirectoryW(lum::Wide(folder_.File(u"News")), nullptr);
      const std::u16string name(1, static_cast<char16_t>(u'a' + i - 1));
      EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"News\\" + name + u".news"),
                                          lumtest::ChannelBitmap(u"Ch" + name + u"#home#unused/x.txt")));
    }
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(lum::kIniName),
                                        "[DEFAULT]\r\nFIRST=1\r\n" + lines + "[CUSTOMIZE]\r\n" + customize));
    form_ = std::make_unique<TrayForm>(store_, lum::TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName(), false});
    EXPECT_TRUE(form_->Form_Load());
    form_->news().SetSoundEnabled(false);
    before_ = lumtest::ReadFileBytes(folder_.File(lum::kIniName));
    form_->OpenSettingsDialog();
    EXPECT_NE(form_->settingsDialog(), nullptr);
    return *form_->settingsDialog();
  }
  std::wstring Key(const wchar_t* section, const wchar_t* key) const {
    wchar_t value[300] = {};
    GetPrivateProfileStringW(section, key, L"<absent>", value, 300, lum::Wide(folder_.File(lum::kIniName)));
    return value;
  }
  std::wstring Key(const wchar_t* key) const { return Key(L"DEFAULT", key); }
  static bool Marked(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  // The mark in both forms' menus; -1 when they differ.
  int BothMarked(SettingsDialog& dialog, UINT command) const {
    const bool a = Marked(dialog.Menu(), command), b = Marked(form_->trayMenu(), command);
    return a == b ? a : -1;
  }
  // A file list as the shell hands one over on a drop.
  static HDROP FileList(const std::vector<std::u16string>& paths) {
    std::u16string names;
    for (const auto& path : paths) names += path + u'\0';
    names += u'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(char16_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    memcpy(files + 1, names.data(), names.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
  }

  lumtest::TempFolder folder_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<TrayForm> form_;
  std::string before_;
};

TEST_F(SettingsPage, LoadingWritesNothingAndEachControlWritesItsKeyInBothForms) {
  const int screenHeightTwips = lum::TwipsOfY(GetSystemMetrics(SM_CYSCREEN));
  SettingsDialog& dialog =
      Open(3, "CONNECT=2\r\nNEWS=0\r\nCHANNEL=1\r\nTIMER=5\r\nALIGENMENT=1\r\nCLOCK=1\r\n",
           "TOP=" + std::to_string(screenHeightTwips) + "\r\nLEFT=300\r\n");
  EXPECT_EQ(lumtest::ReadFileBytes(folder_.File(lum::kIniName)), before_) << "loading wrote to LUM.ini";
  wchar_t caption[32] = {};
  GetWindowTextW(dialog.hwnd(), caption, 32);
  EXPECT_EQ(std::wstring(caption), L"Lumbrel ");
  RECT window{}, client{}, news{};
  GetWindowRect(dialog.hwnd(), &window);
  EXPECT_EQ(window.top, 0);  // the saved top was the screen's height
  EXPECT_EQ(window.left, lum::PixelsX(300));
  EXPECT_EQ(window.bottom - window.top, lum::PixelsY(4880));
  GetClientRect(dialog.hwnd(), &client);
  GetWindowRect(dialog.cmdNewsText().hwnd(), &news);
  MapWindowPoints(nullptr, dialog.hwnd(), reinterpret_cast<POINT*>(&news), 2);
  EXPECT_LE(news.bottom, client.bottom) << "the news button is cut off by the frame";
  HWND first = dialog.hwnd();
  form_->OpenSettingsDialog();
  EXPECT_EQ(form_->settingsDialog()->hwnd(), first) << "a second left click opened another dialog";

  auto click = [&](int id) { SendMessageW(dialog.Control(id), BM_CLICK, 0, 0); };
  struct Step {
    int control;
    const wchar_t* key;
    const wchar_t* value;
    UINT item;
  };
  const Step steps[] = {{SettingsDialog::kOptAligen0 + 3, L"ALIGENMENT", L"3", lum::kNoCaption},
                        {SettingsDialog::kOptBold0 + 1, L"FONT", L"1", lum::kBoldFont},
                        {SettingsDialog::kChkShadow, L"SHADOW", L"1", lum::kMnuShadow},
                        {SettingsDialog::kChkAni, L"ANIMATION", L"1", lum::kCmdAnimation},
                        {SettingsDialog::kOptVH0 + 1, L"SCROLL", L"1", lum::kHscroll},
                        {SettingsDialog::kChkTime, L"CLOCK", L"0", 0},
                        {SettingsDialog::kChkNews, L"NEWS", L"1", 0}};
  for (const Step& step : steps) {
    click(step.control);
    EXPECT_EQ(Key(step.key), step.value) << step.key;
    if (step.item) EXPECT_EQ(BothMarked(dialog, step.item), 1) << step.key;
  }
  EXPECT_EQ(Key(L"CLOCKALIGENMENT"), L"1");  // なし keeps the clock where the text was
  EXPECT_EQ(BothMarked(dialog, lum::kRightAli), 0);
  EXPECT_EQ(BothMarked(dialog, lum::kCmdTimer), 0);
  // The dialog's menu runs the same handlers.
  SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(lum::kLeftAli, 0), 0);
  EXPECT_EQ(Key(L"ALIGENMENT"), L"0");
  EXPECT_EQ(SendMessageW(dialog.Control(SettingsDialog::kOptAligen0), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(BothMarked(dialog, lum::kLeftAli), 1);
  HWND intervals = dialog.Control(SettingsDialog::kCmbNews);
  EXPECT_EQ(SendMessageW(intervals, CB_GETCURSEL, 0, 0), 1);  // "5"
  SendMessageW(intervals, CB_SETCURSEL, 3, 0);
  SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(SettingsDialog::kCmbNews, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(intervals));
  EXPECT_EQ(Key(L"TIMER"), L"15");

  // Channels: the stored one carries the mark; a click on blank rows writes nothing.
  lum::SpeciaList& list = dialog.SpeciaList1();
  ASSERT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.OptionValue(), 0);
  EXPECT_TRUE(Marked(dialog.Menu(), lum::kMnuNewsFirst + 1));
  const int row = list.RowPixels();
  auto press = [&](int y) {
    SendMessageW(list.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, y));
    SendMessageW(list.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(40, y));
  };
  press(5 * row + 2);
  EXPECT_EQ(Key(L"CHANNEL"), L"1");
  press(2 * row + 2);
  EXPECT_EQ(Key(L"CHANNEL"), L"3");
  EXPECT_TRUE(Marked(dialog.Menu(), lum::kMnuNewsFirst + 3));
  EXPECT_FALSE(Marked(dialog.Menu(), lum::kMnuNewsFirst + 1));
  EXPECT_TRUE(Marked(form_->trayMenu(), lum::kMnuNewsFirst + 3));

  // Dropped pictures: the first file only, by the last three letters of its name.
  const std::u16string jpeg = folder_.File(u"picture.jpeg"), png = folder_.File(u"picture.png");
  std::string bitmap = lumtest::ChannelBitmap(u"x");
  ASSERT_TRUE(lumtest::WriteFileBytes(jpeg, bitmap));
  ASSERT_TRUE(lumtest::WriteFileBytes(png, bitmap));
  EXPECT_FALSE(dialog.DropFiles(FileList({png, jpeg})));
  EXPECT_EQ(Key(L"PICTURE"), L"<absent>");
  EXPECT_TRUE(dialog.DropFiles(FileList({jpeg, png})));
  EXPECT_EQ(Key(L"PICTURE"), lum::Wide(jpeg));
  wchar_t shown[MAX_PATH] = {};
  GetWindowTextW(dialog.Control(SettingsDialog::kLblPic), shown, MAX_PATH);
  EXPECT_EQ(std::wstring(shown), lum::Wide(jpeg));

  // The close box saves the place and lets the next left click load the dialog afresh.
  SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
  lumtest::PumpMessages();
  EXPECT_EQ(form_->settingsDialog(), nullptr);
  EXPECT_EQ(Key(L"CUSTOMIZE", L"TOP"), L"0");
  EXPECT_EQ(Key(L"CUSTOMIZE", L"LEFT"), L"300");
}

// Tab walks the page in reading order, frames' contents together, each option group by its
// marked button; Space on the channel list stores the channel as a click does.
TEST_F(SettingsPage, TabOrderIsReadingOrderAndSpaceOnTheChannelListStoresTheChannel) {
  SettingsDialog& dialog = Open(3, "ALIGENMENT=2\r\nFONT=0\r\nSCROLL=1\r\nCHANNEL=1\r\n", "");
  using D = SettingsDialog;
  const std::vector<int> expected = {D::kCmdfix,      D::kCmdColor, D::kCmdShadow,  D::kOptAligen0 + 2, D::kOptBold0,
                                     D::kChkShadow,   D::kChkNews,  D::kOptVH0 + 1, D::kChkTime,        D::kChkAni,
                                     D::kSpeciaList1, D::kCmbNews,  D::kCmdNewsText};
  std::vector<int> order;
  HWND first = GetNextDlgTabItem(dialog.hwnd(), nullptr, FALSE);
  for (HWND at = first; at && order.size() < 20; at = GetNextDlgTabItem(dialog.hwnd(), at, FALSE)) {
    order.push_back(GetDlgCtrlID(at));
    if (GetNextDlgTabItem(dialog.hwnd(), at, FALSE) == first) break;
  }
  EXPECT_EQ(order, expected);
  EXPECT_EQ(GetFocus(), first) << "the first control has the focus when the window opens";

  lum::SpeciaList& list = dialog.SpeciaList1();
  SetFocus(list.hwnd());
  SendMessageW(list.hwnd(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(Key(L"CHANNEL"), L"1") << "moving the current row is no choice";
  SendMessageW(list.hwnd(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(list.OptionValue(), 1);
  EXPECT_EQ(Key(L"CHANNEL"), L"2");
  EXPECT_TRUE(Marked(dialog.Menu(), lum::kMnuNewsFirst + 2));
  EXPECT_FALSE(Marked(dialog.Menu(), lum::kMnuNewsFirst + 1));
  EXPECT_TRUE(Marked(form_->trayMenu(), lum::kMnuNewsFirst + 2));
}

// Moved to monitors of 120 to 192 dpi and back: the suggested rectangle, every control (the channel
// list and the news button too) at its twips inside the client area, the outer height of the
// news page at the new DPI, fonts 1.5 times as high.
TEST_F(SettingsPage, ADpiChangeLaysThePageOutAgainWithItsFontsAndHeight) {
  SettingsDialog& dialog = Open(2, "FONT=1\r\n", "");
  using D = SettingsDialog;
  auto at = [&](int id) { return dialog.Control(id); };
  const std::vector<lumtest::TwipsPlace> places = {
      {"picture frame", at(D::kFramePicture), 90, 60, 4905, 585},
      {"lblPic", at(D::kLblPic), 240, 270, 4335, 255},
      {"cmdfix", at(D::kCmdfix), 4650, 270, 285, 300},
      {"lblColor", at(D::kLblColor), 240, 990, 1755, 180},
      {"cmdShadow", at(D::kCmdShadow), 4650, 930, 285, 300},
      {"optAligen(3)", at(D::kOptAligen0 + 3), 1230, 1890, 1125, 255},
      {"optBold(1)", at(D::kOptBold0 + 1), 2790, 1890, 1125, 255},
      {"chkAni", at(D::kChkAni), 3900, 2280, 1080, 225},
      {"frmNews", at(D::kFrmNews), 90, 2220, 2385, 1005},
      {"optVH(1)", at(D::kOptVH0 + 1), 480, 2940, 1155, 225},
      {"SpeciaList1", dialog.SpeciaList1().hwnd(), 2610, 2640, 2385, 1485},
      {"Label1(1)", at(D::kLabelMinutes), 2280, 3330, 255, 195},
      {"cmdNewsText", dialog.cmdNewsText().hwnd(), 90, 3630, 2415, 495},
  };
  const int system = lum::ScreenDpi(LOGPIXELSY);
  const int label = lumtest::FontHeight(at(D::kChkTime)), bold = lumtest::FontHeight(at(D::kLblColor));
  ASSERT_GT(label, 0);
  for (int dpi : {120, 144, 168, 192, system}) {
    lumtest::SendDpiChange(dialog.hwnd(), dpi, D::kClientWidthTwips, 4185);
    EXPECT_EQ(dialog.Dpi(), dpi);
    lumtest::ExpectPlaces(places, dpi);
    RECT window{};
    GetWindowRect(dialog.hwnd(), &window);
    EXPECT_EQ(window.bottom - window.top, lumtest::At(D::kHeightWithNewsTwips, dpi));
    const double scale = static_cast<double>(dpi) / system;
    EXPECT_NEAR(lumtest::FontHeight(at(D::kChkTime)), label * scale, 1) << dpi;
    EXPECT_NEAR(lumtest::FontHeight(at(D::kLblColor)), bold * scale, 1) << dpi << ": the bold label too";
    EXPECT_NEAR(dialog.SpeciaList1().Font().size, 9.0 * scale, 0.01) << dpi;
    EXPECT_NEAR(dialog.cmdNewsText().Font().size, 9.0 * scale, 0.01) << dpi;
  }
}

TEST_F(SettingsPage, WithoutChannelsTheNewsPageIsHiddenAndTheHeightStays) {
  SettingsDialog& dialog = Open(0, "ALIGENMENT=0\r\n", "");
  EXPECT_FALSE(dialog.NewsAvailable());
  const int height = lum::PixelsY(3250);
  RECT window{};
  GetWindowRect(dialog.hwnd(), &window);
  EXPECT_EQ(window.bottom - window.top, height);
  for (int id : {+SettingsDialog::kFrmNews, +SettingsDialog::kCmbNews, +SettingsDialog::kCmdNewsText,
                 +SettingsDialog::kSpeciaList1})
    EXPECT_FALSE(IsWindowVisible(dialog.Control(id))) << id;
  for (UINT item : {+lum::kMnuNewsFirst, +lum::kCmdNews, +lum::kMnuNewsText})
    EXPECT_EQ(GetMenuState(dialog.Menu(), item, MF_BYCOMMAND), static_cast<UINT>(-1)) << item;
  SetWindowPos(dialog.hwnd(), nullptr, 0, 0, window.right - window.left, 600, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(dialog.hwnd(), &window);
  EXPECT_EQ(window.bottom - window.top, height);
}

}  // namespace
