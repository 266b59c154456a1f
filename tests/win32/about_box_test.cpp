// The about box: its layout in twips, texts, colours and fonts, the hand pointer and the three
// links (through a stand-in for the shell), one window at a time (topmost from the tray, modal
// from a dialog), the tray menu's item, and no GDI object left behind.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "about/about_box.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/tray_form.h"
#include "config/settings.h"
#include "platform/shell.h"
#include "settings/settings_menu.h"
#include "dpi_change_test.h"
#include "test_dialog.h"
#include "test_support.h"

namespace {

using lum::AboutBox;

// What the box asked the shell to do.
struct ShellCall {
  HWND owner;
  std::string verb, file;
  bool hasParameters;
  std::string directory;
  int show;
};
std::vector<ShellCall> shellCalls;

// Answers as a shell that found nothing to open would (2: file not found).
HINSTANCE WINAPI RecordShellCall(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
  shellCalls.push_back(ShellCall{owner, verb ? verb : "<null>", file ? file : "<null>", parameters != nullptr,
                                 directory ? directory : "<null>", show});
  return reinterpret_cast<HINSTANCE>(2);
}

int Pixels(int twips, int axis) { return axis == LOGPIXELSX ? lum::PixelsX(twips) : lum::PixelsY(twips); }

RECT RectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring Text(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

std::wstring FontFace(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfFaceName;
}

BOOL CALLBACK CollectAboutWindow(HWND window, LPARAM list) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == L"LumbrelAboutBox") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The about windows of this thread.
std::vector<HWND> AboutWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectAboutWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void Settle() {
  for (int i = 0; i < 5; ++i) {
    lumtest::PumpMessages();
    Sleep(10);
  }
}

TEST(AboutBox, LayoutTextsColoursAndFontsStandWhereTheFormPutsThem) {
  AboutBox box(RecordShellCall);
  ASSERT_TRUE(box.Load(nullptr));
  const HWND form = box.hwnd();
  EXPECT_FALSE(IsWindowVisible(form)) << "loading alone shows nothing";
  EXPECT_EQ(Text(form), L"ﾊﾞｰｼﾞｮﾝ情報");
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0) << "fixed dialog border";
  EXPECT_TRUE(GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, Pixels(5160, LOGPIXELSX));
  EXPECT_EQ(client.bottom, Pixels(2085, LOGPIXELSY));

  struct Placed {
    const char* name;
    HWND control, container;
    int left, top, width, height;  // twips
  };
  const Placed layout[] = {
      {"Picture1", box.Picture1(), form, 60, 60, 5040, 1965},
      {"Image1", box.Image1(), box.Picture1(), 150, 30, 4635, 1125},
      {"Label1", box.Label1(), box.Picture1(), 4005, 1170, 825, 180},
      {"text1(0)", box.text1(0), box.Picture1(), 1200, 1620, 3630, 195},
      {"text1(1)", box.text1(1), box.Picture1(), 3480, 1440, 1350, 195},
  };
  for (const Placed& p : layout) {
    SCOPED_TRACE(p.name);
    ASSERT_TRUE(IsWindow(p.control));
    EXPECT_EQ(GetParent(p.control), p.container);
    const RECT r = RectInParent(p.control);
    EXPECT_EQ(r.left, Pixels(p.left, LOGPIXELSX));
    EXPECT_EQ(r.top, Pixels(p.top, LOGPIXELSY));
    if (p.control == box.Label1()) {  // the version widens, within the picture, to show all of it
      EXPECT_GE(r.right - r.left, Pixels(p.width, LOGPIXELSX));
      EXPECT_TRUE(lumtest::TextFits(p.control));
    } else {
      EXPECT_EQ(r.right - r.left, Pixels(p.width, LOGPIXELSX));
    }
    EXPECT_EQ(r.bottom - r.top, Pixels(p.height, LOGPIXELSY));
  }

  // The logo is our 309 x 75 picture, the size of its box at 15 twips a pixel.
  BITMAP logo{};
  ASSERT_TRUE(GetObjectW(reinterpret_cast<HBITMAP>(SendMessageW(box.Image1(), STM_GETIMAGE, IMAGE_BITMAP, 0)),
                         sizeof logo, &logo));
  EXPECT_EQ(logo.bmWidth, 309);
  EXPECT_EQ(logo.bmHeight, 75);

  // Text, colour and font of each label; only the links take clicks (SS_NOTIFY).
  struct Label {
    const char* name;
    HWND control;
    COLORREF color;
    const wchar_t* face;
    bool link;
  };
  const Label labels[] = {
      {"Label1", box.Label1(), RGB(64, 64, 64), L"ＭＳ Ｐゴシック", false},
      {"text1(0)", box.text1(0), RGB(128, 128, 128), L"Tahoma", true},
      {"text1(1)", box.text1(1), RGB(63, 106, 154), L"Tahoma", true},
  };
  EXPECT_EQ(Text(box.Label1()), L"version 1.2");
  EXPECT_EQ(Text(box.text1(1)), L"lum@example.org");
  EXPECT_EQ(std::string(AboutBox::kMailLink), "mailto:" + lum::ToAnsi(lum::FromWide(Text(box.text1(1)).c_str())));
  lum::ScopedMemoryDC dc(nullptr);
  for (const Label& l : labels) {
    SCOPED_TRACE(l.name);
    SetTextColor(dc.get(), RGB(1, 2, 3));
    const auto brush = SendMessageW(box.Picture1(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                    reinterpret_cast<LPARAM>(l.control));
    EXPECT_EQ(GetTextColor(dc.get()), l.color);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(WHITE_BRUSH)) << "on the white panel";
    EXPECT_EQ(FontFace(l.control), l.face);
    EXPECT_EQ((GetWindowLongPtrW(l.control, GWL_STYLE) & SS_NOTIFY) != 0, l.link);
    if (!l.link) continue;
    // Our own texts fit their labels in their font.
    lum::ScopedSelect font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(l.control, WM_GETFONT, 0, 0)));
    const std::wstring text = Text(l.control);
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    const RECT r = RectInParent(l.control);
    EXPECT_LE(extent.cx, r.right - r.left) << "\"" << lum::ToAnsi(lum::FromWide(text.c_str())) << "\" is cut off";
  }
  EXPECT_TRUE(GetWindowLongPtrW(box.Image1(), GWL_STYLE) & SS_NOTIFY);

  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_EQ(box.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(form));
}

// The pointer and a click over each link, and over what is not a link.
TEST(AboutBox, LinksShowTheHandAndOpenTheirTargetThroughTheShell) {
  shellCalls.clear();
  AboutBox box(RecordShellCall);
  box.ShowModeless(nullptr);
  ASSERT_NE(box.hwnd(), nullptr);
  Settle();
  const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101));
  ASSERT_NE(hand, nullptr) << "cursor resource 101";
  const HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));

  // What the system does when the pointer moves to a point: the window found there (a plain
  // label lets the panel under it answer) is asked for its pointer.
  auto pointerAt = [&](POINT at) {
    const HWND under = WindowFromPoint(at);
    SetCursor(nullptr);
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  auto pointAt = [&](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    return pointerAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  };
  auto click = [&](HWND control) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Settle();
  };

  struct Link {
    const char* name;
    HWND control;
    const char* target;
  };
  const Link links[] = {
      {"Image1", box.Image1(), "https://lumbrel.example.org/"},
      {"text1(0)", box.text1(0), "https://lumbrel.example.org/overview.html"},
      {"text1(1)", box.text1(1), "mailto:lum@example.org"},
  };
  for (const Link& link : links) {
    SCOPED_TRACE(link.name);
    EXPECT_EQ(pointAt(link.control), hand);
    shellCalls.clear();
    click(link.control);
    ASSERT_EQ(shellCalls.size(), 1u);
    const ShellCall& call = shellCalls[0];
    EXPECT_EQ(call.owner, GetDesktopWindow());
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, link.target);
    EXPECT_FALSE(call.hasParameters);
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.show, 5);
    EXPECT_TRUE(IsWindowVisible(box.hwnd())) << "the box stays open, also when the shell fails";
  }
  // The version label, the panel and the form's own background keep the arrow and open nothing.
  shellCalls.clear();
  RECT panel{};
  GetWindowRect(box.Picture1(), &panel);
  EXPECT_EQ(pointAt(box.Label1()), arrow);
  EXPECT_EQ(pointerAt(POINT{panel.left + 4, panel.bottom - 4}), arrow);
  EXPECT_EQ(pointerAt(POINT{panel.left - 2, panel.top - 2}), arrow);
  click(box.Label1());
  click(box.Picture1());
  EXPECT_TRUE(shellCalls.empty());
}

TEST(AboutBox, FromTheTrayOneTopmostWindowASecondRequestBringsItToTheFront) {
  AboutBox box(RecordShellCall);
  box.ShowModeless(nullptr);
  const HWND first = box.hwnd();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_TRUE(Topmost(first));
  EXPECT_EQ(GetForegroundWindow(), first);

  {
    lumtest::TestWindow other(WS_OVERLAPPEDWINDOW, 0, L"in front");
    ASSERT_EQ(GetForegroundWindow(), other.get());
    box.ShowModeless(nullptr);
    Settle();
    EXPECT_EQ(box.hwnd(), first) << "the same window";
    EXPECT_EQ(AboutWindows().size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_TRUE(Topmost(first));
    // Asked modally meanwhile (from the dialog), the open box is raised and nothing waits.
    SetForegroundWindow(other.get());
    box.ShowModal(other.get());
    EXPECT_EQ(box.hwnd(), first);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_TRUE(IsWindowEnabled(other.get()));
  }

  // The close box discards the window; the next request makes a new one.
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_EQ(box.hwnd(), nullptr);
  EXPECT_TRUE(AboutWindows().empty());
  box.ShowModeless(nullptr);
  EXPECT_NE(box.hwnd(), nullptr);
  EXPECT_EQ(AboutWindows().size(), 1u);
  box.Unload();
  EXPECT_TRUE(AboutWindows().empty());
}

using lumtest::RunInsideLoop;

TEST(AboutBox, FromTheDialogModalWithoutTheTopmostStep) {
  AboutBox box(RecordShellCall);
  lumtest::TestWindow dialog(WS_OVERLAPPEDWINDOW, 0, L"settings");
  bool ran = false;
  RunInsideLoop([&] {
    ran = true;
    ASSERT_NE(box.hwnd(), nullptr);
    EXPECT_TRUE(IsWindowVisible(box.hwnd()));
    EXPECT_FALSE(Topmost(box.hwnd()));
    EXPECT_EQ(GetWindow(box.hwnd(), GW_OWNER), dialog.get());
    EXPECT_FALSE(IsWindowEnabled(dialog.get())) << "the dialog waits for the box";
    SendMessageW(box.hwnd(), WM_CLOSE, 0, 0);
  });
  box.ShowModal(dialog.get());
  EXPECT_TRUE(ran);
  EXPECT_EQ(box.hwnd(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(dialog.get()));

  // A quit that arrives meanwhile closes the box and is left for the program's own loop.
  RunInsideLoop([] { PostQuitMessage(7); });
  box.ShowModal(dialog.get());
  EXPECT_EQ(box.hwnd(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(dialog.get()));
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
}

// The tray menu's ﾊﾞｰｼﾞｮﾝ情報(&V) reaches the form as a command; the form owns the one box and
// takes it down when it unloads.
TEST(AboutBox, TrayMenuItemOpensTheOneBoxOfTheTrayForm) {
  lumtest::TempFolder folder;
  ASSERT_TRUE(lumtest::WriteFileBytes(folder.File(lum::kIniName), "[DEFAULT]\r\nFIRST=1\r\n[CUSTOMIZE]\r\n"));
  lum::SettingsStore settings;
  lum::TrayForm form(settings, lum::TrayFormOptions{folder.path(), lumtest::UniqueInstanceName(), false});
  ASSERT_TRUE(form.Form_Load());

  SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(lum::kCmdAbout, 0), 0);
  const HWND box = form.aboutBox().hwnd();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(Topmost(box));
  EXPECT_EQ(GetWindow(box, GW_OWNER), form.hwnd());
  SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(lum::kCmdAbout, 0), 0);
  EXPECT_EQ(AboutWindows(), std::vector<HWND>{box});

  form.Form_Unload();
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(form.aboutBox().hwnd(), nullptr);
}

// Each opening makes two fonts and takes the logo; closing gives all of them back.
TEST(AboutBox, OpeningAndClosingLeavesNoGdiObjectBehind) {
  AboutBox box(RecordShellCall);
  auto cycle = [&] {
    box.ShowModeless(nullptr);
    RedrawWindow(box.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageW(box.hwnd(), WM_CLOSE, 0, 0);
  };
  for (int i = 0; i < 5; ++i) cycle();
  lumtest::PumpMessages();
  const int before = lumtest::CountLiveGdiObjects();
  for (int i = 0; i < 200; ++i) cycle();
  lumtest::PumpMessages();
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before);
}

}  // namespace
