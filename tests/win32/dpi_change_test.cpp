// A change of DPI (the window moved to a monitor of another scale) sent to each of the
// program's windows: the suggested rectangle is taken, every control stands at its twips for the
// new DPI inside the client area, and the fonts grow with it; and back.
#include "dpi_change_test.h"

#include <gtest/gtest.h>

#include <cmath>

#include "about/about_box.h"
#include "clock/clock_dialog.h"
#include "controls/control_font.h"
#include "news/news_window.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "test_support.h"

namespace lumtest {

RECT ChildPlace(HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

int FontHeight(HWND control) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!handle || !GetObjectW(handle, sizeof font, &font)) return 0;
  return std::abs(font.lfHeight);
}

void SendDpiChange(HWND window, int dpi, int clientWidthTwips, int clientHeightTwips) {
  RECT suggested{0, 0, At(clientWidthTwips, dpi), At(clientHeightTwips, dpi)};
  AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  RECT now{};
  GetWindowRect(window, &now);
  OffsetRect(&suggested, now.left - suggested.left, now.top - suggested.top);
  SendMessageW(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

bool TextFits(HWND label) {
  wchar_t text[256] = {};
  GetWindowTextW(label, text, 256);
  RECT box{};
  GetClientRect(label, &box);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return size.cx <= box.right;
}

bool LinesFit(HWND label) {
  wchar_t text[256] = {};
  GetWindowTextW(label, text, 256);
  RECT box{};
  GetClientRect(label, &box);
  RECT needed{0, 0, box.right, 0};
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return needed.bottom <= box.bottom;
}

void ExpectPlaces(const std::vector<TwipsPlace>& places, int dpi) {
  for (const TwipsPlace& place : places) {
    ASSERT_NE(place.control, nullptr) << place.name;
    const RECT at = ChildPlace(place.control);
    if (place.growsToText)  // it may move left where its container's edge leaves too little room
      EXPECT_LE(at.left, At(place.left, dpi)) << place.name << " at " << dpi << " dpi";
    else
      EXPECT_EQ(at.left, At(place.left, dpi)) << place.name << " at " << dpi << " dpi";
    EXPECT_EQ(at.top, At(place.top, dpi)) << place.name << " at " << dpi << " dpi";
    if (place.growsToText) {
      EXPECT_GE(at.right - at.left, At(place.width, dpi)) << place.name << " at " << dpi << " dpi";
      EXPECT_TRUE(TextFits(place.control)) << place.name << " cuts its text at " << dpi << " dpi";
    } else {
      EXPECT_EQ(at.right - at.left, At(place.width, dpi)) << place.name << " at " << dpi << " dpi";
    }
    if (place.growsDown) {
      EXPECT_GE(at.bottom - at.top, At(place.height, dpi)) << place.name << " at " << dpi << " dpi";
      EXPECT_TRUE(LinesFit(place.control)) << place.name << " cuts a line off at " << dpi << " dpi";
    } else {
      EXPECT_EQ(at.bottom - at.top, At(place.height, dpi)) << place.name << " at " << dpi << " dpi";
    }
    RECT client{};
    GetClientRect(GetParent(place.control), &client);
    EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.right <= client.right && at.bottom <= client.bottom)
        << place.name << " lies outside its container's client area at " << dpi << " dpi";
  }
}

}  // namespace lumtest

namespace {

using lumtest::ExpectPlaces;
using lumtest::FontHeight;
using lumtest::SendDpiChange;
using lumtest::At;

// At 120, 144, 168 and 192 dpi and back: twips become pixels by the exact ratio, not by a whole
// number of twips a pixel (which put every control 7 % too far and too large at 175 and 200 %).
TEST(DpiChange, ClockWindowAboutBoxAndNewsWindowLayOutAgainAtEveryScaleAndBack) {
  const int system = lum::ScreenDpi(LOGPIXELSY);
  lumtest::TempFolder folder;
  const lum::ProfileFile ini(folder.path() + u"\\LUM.INI");
  lum::SettingsStore settings;
  lumtest::LoadStore(settings, ini);
  lum::ClockDialog clock(settings);
  ASSERT_TRUE(clock.Load(nullptr));
  lum::AboutBox about;
  ASSERT_TRUE(about.Load(nullptr));
  lum::NewsWindow news;
  ASSERT_NE(news.Load(u"Ch"), nullptr);

  const std::vector<lumtest::TwipsPlace> clockPlaces = {
      {"list", clock.SpeciaList1().hwnd(), 0, 0, 4335, 3375},
      {"Label1", clock.Label1(), 60, 3450, 3045, 360, false, true},
      {"CommandEx1", clock.CommandEx1().hwnd(), 3240, 3360, 1095, 465}};
  const std::vector<lumtest::TwipsPlace> aboutPlaces = {{"Picture1", about.Picture1(), 60, 60, 5040, 1965},
                                                        {"Image1", about.Image1(), 150, 30, 4635, 1125},
                                                        {"Label1", about.Label1(), 4005, 1170, 825, 180, true},
                                                        {"text1(0)", about.text1(0), 1200, 1620, 3630, 195},
                                                        {"text1(1)", about.text1(1), 3480, 1440, 1350, 195}};
  const int clockLabel = FontHeight(clock.Label1()), aboutLabel = FontHeight(about.Label1());
  const int aboutLink = FontHeight(about.text1(1)), newsText = FontHeight(news.txtNews());
  const int rows = clock.SpeciaList1().RowPixels();
  ASSERT_GT(clockLabel * aboutLabel * aboutLink * newsText, 0);

  for (int dpi : {120, 144, 168, 192, system}) {
    SendDpiChange(clock.hwnd(), dpi, lum::ClockDialog::kClientWidthTwips, lum::ClockDialog::kClientHeightTwips);
    SendDpiChange(about.hwnd(), dpi, lum::AboutBox::kClientWidthTwips, lum::AboutBox::kClientHeightTwips);
    SendDpiChange(news.hwnd(), dpi, lum::NewsWindow::kMinWidthTwips, lum::NewsWindow::kMinHeightTwips);
    ExpectPlaces(clockPlaces, dpi);
    ExpectPlaces(aboutPlaces, dpi);
    RECT client{};
    GetClientRect(clock.hwnd(), &client);
    EXPECT_EQ(client.right, At(lum::ClockDialog::kClientWidthTwips, dpi)) << "the suggested size is taken";
    if (dpi == 192) EXPECT_EQ(lumtest::ChildPlace(clock.CommandEx1().hwnd()).left, 432) << "3240 twips at 7.5 a pixel";
    RECT hint = lumtest::ChildPlace(clock.Label1());
    EXPECT_LE(hint.bottom, client.bottom) << "the clock window holds its whole hint at " << dpi << " dpi";
    // The news text fills the client area; every font grows with the DPI (1.5 times at 144).
    RECT text{}, newsClient{};
    GetClientRect(news.hwnd(), &newsClient);
    GetWindowRect(news.txtNews(), &text);
    EXPECT_EQ(text.right - text.left, newsClient.right);
    const double scale = static_cast<double>(dpi) / system;
    EXPECT_NEAR(FontHeight(clock.Label1()), clockLabel * scale, 1) << dpi;
    EXPECT_NEAR(FontHeight(about.Label1()), aboutLabel * scale, 1) << dpi;
    EXPECT_NEAR(FontHeight(about.text1(1)), aboutLink * scale, 1) << dpi;
    EXPECT_NEAR(FontHeight(news.txtNews()), newsText * scale, 1) << dpi;
    EXPECT_NEAR(clock.SpeciaList1().Font().size, 9.0 * scale, 0.01) << dpi;
    EXPECT_NEAR(clock.CommandEx1().Font().size, 9.0 * scale, 0.01) << dpi;
    EXPECT_NEAR(clock.SpeciaList1().RowPixels(), rows * scale, 1) << dpi;
  }
  news.Unload();
}

}  // namespace
