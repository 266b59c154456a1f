// The caption overlay under Wine, where it is forced on (Wine composes no frames): its place
// over a test window's title bar and in the z-order, its styles, when it hides, how the
// window events move it, and that an unchanged tick replaces no bitmap and leaks nothing.
#include "render/caption_overlay.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/tray_form.h"
#include "settings/settings_menu.h"
#include "config/settings.h"
#include "platform/dwm.h"
#include "platform/high_contrast.h"
#include "platform/scoped_win.h"
#include "render/caption_renderer.h"
#include "test_support.h"

namespace {

using lum::CaptionOverlay;
using lum::CaptionRenderer;
using lum::ScopedBitmap;
using lumtest::TestWindow;

constexpr DWORD kNoProcess = 0;  // no window belongs to it: every test window is a target
constexpr uint32_t kPictureColour = 0x3C5A78;

ScopedBitmap SolidPicture() {
  std::vector<uint32_t> bits(64 * 40, kPictureColour);
  return ScopedBitmap(CreateBitmap(64, 40, 1, 32, bits.data()));
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

class Overlay : public testing::Test {
 protected:
  void SetUp() override {
    renderer_.SetCaptionPicture(picture_.get());
    ASSERT_TRUE(overlay_.Create());
  }
  // Where the overlay must stand: the title bar's band (less the line under it) from the
  // caption's left to the minimise button's left (classic buttons: close, maximise, minimise).
  static RECT Expected(HWND target) {
    const RECT window = WindowRect(target);
    const std::optional<lum::CaptionRect> caption = CaptionRenderer::GetCaptionRect(target);
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof titleBar;
    GetTitleBarInfo(target, &titleBar);
    const int button = GetSystemMetrics(SM_CXSIZE);
    return {window.left + caption->left, titleBar.rcTitleBar.top, window.left + caption->right - 3 * button + 2,
            titleBar.rcTitleBar.bottom - GetSystemMetrics(SM_CYBORDER)};
  }
  bool Shown() const { return IsWindowVisible(overlay_.hwnd()) != FALSE; }

  ScopedBitmap picture_ = SolidPicture();
  CaptionRenderer renderer_;
  CaptionOverlay overlay_{renderer_, kNoProcess};
};

TEST_F(Overlay, StandsOverTheTitleBarUpToTheButtonsDirectlyAboveItsTarget) {
  TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"");
  ASSERT_TRUE(target.get());
  overlay_.Refresh(target.get());
  lumtest::PumpMessages();

  const LONG exStyle = GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE);
  EXPECT_EQ(exStyle & CaptionOverlay::kExStyle, static_cast<LONG>(CaptionOverlay::kExStyle))
      << "layered, transparent, no-activate tool window";
  EXPECT_EQ(exStyle & WS_EX_TOPMOST, 0);
  EXPECT_NE(GetWindowLongW(overlay_.hwnd(), GWL_STYLE) & WS_POPUP, 0);
  EXPECT_EQ(GetWindow(overlay_.hwnd(), GW_OWNER), nullptr);

  ASSERT_TRUE(Shown());
  const RECT want = Expected(target.get()), got = WindowRect(overlay_.hwnd());
  EXPECT_TRUE(EqualRect(&got, &want)) << Describe(got) << ", want " << Describe(want);
  EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd()) << "not directly above its target";
  EXPECT_EQ(GetForegroundWindow(), target.get()) << "the overlay took the activation";

  // The bitmap it shows is the caption composed as the title bar would get it: the picture
  // reaches the overlay's right end, where the classic text area ends.
  EXPECT_EQ(GetPixel(renderer_.composedDC(), got.right - got.left - 1, 0),
            static_cast<COLORREF>(RGB(0x3C, 0x5A, 0x78)));

  // And the screen shows it over the target's caption, once the display has caught up.
  COLORREF onScreen = CLR_INVALID;
  for (int tries = 0; tries < 100 && onScreen != RGB(0x3C, 0x5A, 0x78); ++tries) {
    if (tries) Sleep(20);
    lumtest::PumpMessages();
    HDC screen = GetDC(nullptr);
    onScreen = GetPixel(screen, got.right - 1, got.top);
    ReleaseDC(nullptr, screen);
  }
  EXPECT_EQ(onScreen, static_cast<COLORREF>(RGB(0x3C, 0x5A, 0x78)));

  // A window opened later stays above the overlay; the overlay keeps to its target.
  TestWindow later(WS_OVERLAPPEDWINDOW, 0, L"later");
  SetWindowPos(target.get(), later.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  overlay_.Refresh(target.get());
  EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd());
  EXPECT_EQ(GetWindow(overlay_.hwnd(), GW_HWNDPREV), later.get());
  EXPECT_EQ(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  // A new focus in the target raises the overlay for a moment (on the two ticks that follow);
  // it ends where it was, under the later window and out of the topmost band.
  HWND foreground = GetForegroundWindow();
  overlay_.NoteFocus(later.get());
  for (int tick = 0; tick < 3; ++tick) {
    overlay_.Refresh(target.get());
    EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd()) << "tick " << tick;
    EXPECT_EQ(GetWindow(overlay_.hwnd(), GW_HWNDPREV), later.get()) << "tick " << tick;
    EXPECT_EQ(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "tick " << tick;
  }
  EXPECT_EQ(GetForegroundWindow(), foreground) << "the raise moved the activation";
}

TEST_F(Overlay, JoinsTheTopmostBandOnlyWithATopmostTarget) {
  TestWindow target(WS_OVERLAPPEDWINDOW, WS_EX_TOPMOST, L"");
  ASSERT_TRUE(target.get());
  overlay_.Refresh(target.get());
  ASSERT_TRUE(Shown());
  EXPECT_NE(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd());
  overlay_.NoteFocus(target.get());
  overlay_.Refresh(target.get());
  EXPECT_NE(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd());

  TestWindow plain(WS_OVERLAPPEDWINDOW, 0, L"");
  overlay_.Refresh(plain.get());
  ASSERT_TRUE(Shown());
  EXPECT_EQ(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(plain.get(), GW_HWNDPREV), overlay_.hwnd());
  // Raised for a new focus, over a target at the top of its band: back out of the topmost band.
  SetWindowPos(target.get(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(plain.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  overlay_.NoteFocus(plain.get());
  overlay_.Refresh(plain.get());
  EXPECT_EQ(GetWindowLongW(overlay_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindow(plain.get(), GW_HWNDPREV), overlay_.hwnd());
}

TEST_F(Overlay, HidesForWindowsThatGetNoCaption) {
  constexpr int kFullScreen = -1;  // not a ShowWindow command: the window covers the monitor
  TestWindow shown(WS_OVERLAPPEDWINDOW, 0, L"");
  struct Case {
    const char* name;
    DWORD style, exStyle;
    int show;
    bool own;
  };
  const Case cases[] = {
      {"minimised", WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE, false},
      {"tool window", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, 0, false},
      {"no caption", WS_POPUP | WS_THICKFRAME, 0, 0, false},
      {"dialog frame without border", WS_POPUP | WS_DLGFRAME, 0, 0, false},
      {"one of the program's own", WS_OVERLAPPEDWINDOW, 0, 0, true},
      {"spread over the whole monitor", WS_OVERLAPPEDWINDOW, 0, kFullScreen, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    overlay_.Refresh(shown.get());
    ASSERT_TRUE(Shown());
    TestWindow target(c.style, c.exStyle, L"");
    ASSERT_TRUE(target.get());
    if (c.show == kFullScreen)
      SetWindowPos(target.get(), nullptr, -10, -10, GetSystemMetrics(SM_CXSCREEN) + 20,
                   GetSystemMetrics(SM_CYSCREEN) + 20, SWP_NOZORDER);
    else if (c.show)
      ShowWindow(target.get(), c.show);
    // The program's own windows: those of the process the overlay is told is the program's.
    CaptionOverlay own(renderer_, GetCurrentProcessId());
    ASSERT_TRUE(own.Create());
    CaptionOverlay& overlay = c.own ? own : overlay_;
    overlay.Refresh(target.get());
    EXPECT_FALSE(IsWindowVisible(overlay.hwnd()));
    EXPECT_FALSE(overlay.visible());
  }
  overlay_.Refresh(nullptr);
  EXPECT_FALSE(Shown()) << "no foreground window";
}

// Wine 8 raises no foreground, location or minimise events (only object creation), so the
// events are handed over as the hooks would receive them.
TEST_F(Overlay, FollowsItsTargetThroughTheWindowEvents) {
  TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"");
  overlay_.Refresh(target.get());
  ASSERT_TRUE(Shown());
  const RECT before = WindowRect(overlay_.hwnd());

  // Moved and resized: a location change of the target brings the overlay along at once;
  // those of other windows, or of the target's caret, change nothing.
  const RECT window = WindowRect(target.get());
  SetWindowPos(target.get(), nullptr, window.left + 60, window.top + 40, window.right - window.left - 100,
               window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
  TestWindow other(WS_OVERLAPPEDWINDOW, 0, L"other");
  SetWindowPos(target.get(), other.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  overlay_.OnEvent(EVENT_OBJECT_LOCATIONCHANGE, other.get(), OBJID_WINDOW);
  overlay_.OnEvent(EVENT_OBJECT_LOCATIONCHANGE, target.get(), OBJID_CARET);
  RECT got = WindowRect(overlay_.hwnd());
  EXPECT_TRUE(EqualRect(&got, &before)) << Describe(got) << ", want " << Describe(before);
  overlay_.OnEvent(EVENT_OBJECT_LOCATIONCHANGE, target.get(), OBJID_WINDOW);
  RECT want = Expected(target.get());
  got = WindowRect(overlay_.hwnd());
  EXPECT_TRUE(EqualRect(&got, &want)) << Describe(got) << ", want " << Describe(want);
  EXPECT_EQ(got.left, before.left + 60);
  EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay_.hwnd());

  // Minimised: gone at once; restored: back.
  ShowWindow(target.get(), SW_MINIMIZE);
  overlay_.OnEvent(EVENT_SYSTEM_MINIMIZESTART, target.get(), OBJID_WINDOW);
  EXPECT_FALSE(Shown()) << "still shown over a minimised window";
  ShowWindow(target.get(), SW_RESTORE);
  overlay_.OnEvent(EVENT_SYSTEM_MINIMIZEEND, target.get(), OBJID_WINDOW);
  EXPECT_TRUE(Shown()) << "not back over the restored window";

  // Another window comes to the front: the overlay goes over to it.
  overlay_.OnEvent(EVENT_SYSTEM_FOREGROUND, other.get(), OBJID_WINDOW);
  EXPECT_EQ(overlay_.target(), other.get());
  want = Expected(other.get());
  got = WindowRect(overlay_.hwnd());
  EXPECT_TRUE(EqualRect(&got, &want)) << Describe(got) << ", want " << Describe(want);
  EXPECT_EQ(GetWindow(other.get(), GW_HWNDPREV), overlay_.hwnd());
  // Now a location change of the old target is someone else's.
  SetWindowPos(target.get(), nullptr, window.left, window.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  overlay_.OnEvent(EVENT_OBJECT_LOCATIONCHANGE, target.get(), OBJID_WINDOW);
  EXPECT_EQ(overlay_.target(), other.get());
}

TEST_F(Overlay, UnchangedTicksReplaceNoBitmapAndLeaveNoGdiObject) {
  TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"first");
  overlay_.Refresh(target.get());
  ASSERT_TRUE(Shown());
  const unsigned first = overlay_.layeredUpdates();
  EXPECT_EQ(first, 1u);
  for (int i = 0; i < 5; ++i) overlay_.Refresh(target.get());
  EXPECT_EQ(overlay_.layeredUpdates(), first) << "ticks without a change replaced the bitmap";

  SetWindowTextW(target.get(), L"second");
  overlay_.Refresh(target.get());
  EXPECT_EQ(overlay_.layeredUpdates(), first + 1) << "a new title must reach the overlay";

  // A move alone moves the window and keeps its bitmap.
  const RECT window = WindowRect(target.get());
  SetWindowPos(target.get(), nullptr, window.left + 10, window.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  overlay_.Refresh(target.get());
  EXPECT_EQ(overlay_.layeredUpdates(), first + 1);
  EXPECT_EQ(WindowRect(overlay_.hwnd()).left, Expected(target.get()).left);

  auto tick = [&](int i) {
    SetWindowTextW(target.get(), i % 2 ? L"odd" : L"even");
    overlay_.Refresh(target.get());
    if (i % 7 == 0) overlay_.Refresh(nullptr);
  };
  for (int i = 0; i < 10; ++i) tick(i);
  const int before = lumtest::CountLiveGdiObjects();
  for (int i = 0; i < 1000; ++i) tick(i);
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before) << "GDI objects left behind by 1,000 overlay ticks";
}

// The overlay's window region at Windows 11's corners, 96 and 144 dpi: the cut pixels of each
// top row are left out at both ends, and nothing else.
TEST(OverlayCorners, RegionLeavesOutExactlyTheCutPixels) {
  for (unsigned dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    const lum::ScreenRect frame{0, 0, 600, 400}, place{0, 0, 600, 30};
    const auto cuts = lum::RoundedCornerCuts(place, frame, lum::RoundedCornerRadius(dpi));
    ASSERT_GE(cuts.size(), 3u);
    lum::ScopedGdiObject<HRGN> region(lum::MakeCornerRegion(place.Width(), place.Height(), cuts));
    ASSERT_TRUE(region);
    for (size_t row = 0; row <= cuts.size(); ++row) {
      const int y = static_cast<int>(row);
      const lum::CornerCut cut = row < cuts.size() ? cuts[row] : lum::CornerCut{};
      EXPECT_TRUE(PtInRegion(region.get(), cut.left, y)) << "row " << row;
      EXPECT_TRUE(PtInRegion(region.get(), place.Width() - 1 - cut.right, y)) << "row " << row;
      if (cut.left > 0) {
        EXPECT_FALSE(PtInRegion(region.get(), cut.left - 1, y)) << "row " << row;
      }
      if (cut.right > 0) {
        EXPECT_FALSE(PtInRegion(region.get(), place.Width() - cut.right, y)) << "row " << row;
      }
    }
  }
  // The version question answers as a test steers it, and otherwise as the system does.
  lum::SteerRoundedCorners(true);
  EXPECT_TRUE(lum::SystemRoundsWindowCorners());
  lum::SteerRoundedCorners(std::nullopt);
  EXPECT_FALSE(lum::SystemRoundsWindowCorners()) << "Wine answers as Windows 11";
}

// The tray form on a LUM.ini of the title-bar mode or the overlay, without the animation.
struct FormInMode {
  explicit FormInMode(bool overlay) {
    EXPECT_TRUE(lumtest::WriteFileBytes(folder.File(lum::kIniName),
                                        std::string("[DEFAULT]\r\nFIRST=1\r\nANIMATION=0\r\nOVERLAY=") +
                                            (overlay ? "1" : "0") + "\r\n[CUSTOMIZE]\r\n"));
    lum::TrayFormOptions options{folder.path(), lumtest::UniqueInstanceName(), false};
    options.overlayOwnProcess = kNoProcess;
    form = std::make_unique<lum::TrayForm>(settings, options);
    loaded = form->Form_Load();
  }
  lumtest::TempFolder folder;  // declared first: it goes last
  lum::SettingsStore settings;
  std::unique_ptr<lum::TrayForm> form;
  bool loaded = false;
};

// A window that moves or changes its size keeps its own caption until it has stood still for
// one look; then it is decorated again at once, at its new place and width. In both modes; the
// overlay also hides from the start of a drag to its end where the events come.
TEST(CaptionFollow, AMovingWindowIsUndecoratedUntilItStandsStill) {
  for (const bool overlay : {false, true}) {
    SCOPED_TRACE(overlay ? "overlay" : "title bar");
    FormInMode started(overlay);
    ASSERT_TRUE(started.loaded);
    lum::TrayForm& form = *started.form;
    lum::CaptionCycle& cycle = form.caption();
    ASSERT_EQ(cycle.overlay() != nullptr, overlay);
    TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"Follow target");
    // Decorated for the window as it stands at `frame`.
    auto decoratedAt = [&](const RECT& frame) {
      if (overlay) {
        const RECT shown = WindowRect(cycle.overlay()->hwnd());
        return cycle.overlay()->visible() && shown.left > frame.left && shown.right < frame.right &&
               shown.top >= frame.top && shown.top < frame.top + 40;
      }
      const auto painted = cycle.renderer().PaintedFacts();
      return painted && EqualRect(&painted->caption.windowRect, &frame);
    };
    cycle.Timer1_Timer();
    RECT frame = WindowRect(target.get());
    ASSERT_TRUE(decoratedAt(frame));
    for (const SIZE change : {SIZE{60, 0}, SIZE{0, -150}}) {  // moved 60 px, then 150 px narrower
      SetWindowPos(target.get(), nullptr, frame.left + change.cx, frame.top,
                   frame.right - frame.left + change.cy, frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
      // No messages in between: the form's own tick must not see the move first.
      const RECT now = WindowRect(target.get());
      cycle.Timer1_Timer();
      EXPECT_TRUE(cycle.following());
      EXPECT_FALSE(decoratedAt(now)) << "decorated while it moves";
      if (overlay) {
        EXPECT_FALSE(cycle.overlay()->visible()) << "the overlay stayed at the old place";
      }
      const DWORD start = GetTickCount();
      while (cycle.following() && GetTickCount() - start < 1000) {
        lumtest::PumpMessages();
        Sleep(5);
      }
      EXPECT_LT(GetTickCount() - start, 150u);
      EXPECT_TRUE(decoratedAt(now)) << "not decorated again once it stood still";
      frame = now;
    }
    if (!overlay) continue;
    // Windows tells of a drag from its start to its end: hidden all along, back at its end.
    cycle.overlay()->OnEvent(EVENT_SYSTEM_MOVESIZESTART, target.get(), OBJID_WINDOW);
    EXPECT_FALSE(cycle.overlay()->visible());
    cycle.overlay()->OnEvent(EVENT_OBJECT_LOCATIONCHANGE, target.get(), OBJID_WINDOW);
    EXPECT_FALSE(cycle.overlay()->visible()) << "shown in the middle of a drag";
    cycle.overlay()->OnEvent(EVENT_SYSTEM_MOVESIZEEND, target.get(), OBJID_WINDOW);
    EXPECT_TRUE(cycle.overlay()->visible());
  }
}

// The tray form in both modes: OVERLAY=1 brings the overlay over the foreground window;
// without the key Wine (no desktop composition) keeps the title bar and no overlay exists.
TEST(TrayFormCaptionMode, OverlayKeyChoosesTheOverlayAndWineOtherwiseKeepsTheTitleBar) {
  ASSERT_FALSE(lum::DwmApi::Get().CompositionEnabled()) << "Wine reports desktop composition";
  struct Case {
    const char* lines;
    bool overlay;
  };
  const Case cases[] = {{"OVERLAY=1\r\n", true}, {"", false}, {"OVERLAY=0\r\n", false}, {"OVERLAY=x\r\n", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    lumtest::TempFolder folder;
    ASSERT_TRUE(lumtest::WriteFileBytes(folder.File(lum::kIniName),
                                        std::string("[DEFAULT]\r\nFIRST=1\r\n") + c.lines + "[CUSTOMIZE]\r\n"));
    lum::SettingsStore settings;
    lum::TrayFormOptions options{folder.path(), lumtest::UniqueInstanceName(), false};
    options.overlayOwnProcess = kNoProcess;
    lum::TrayForm form(settings, options);
    ASSERT_TRUE(form.Form_Load());
    ASSERT_EQ(form.caption().overlay() != nullptr, c.overlay);
    if (!c.overlay) {
      EXPECT_EQ(FindWindowW(L"LumbrelCaptionOverlay", nullptr), nullptr);
      continue;
    }
    TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"");
    ASSERT_EQ(GetForegroundWindow(), target.get());
    const RECT frameBefore = WindowRect(target.get());
    form.caption().Timer1_Timer();
    HWND overlay = form.caption().overlay()->hwnd();
    EXPECT_TRUE(IsWindowVisible(overlay));
    EXPECT_EQ(GetWindow(target.get(), GW_HWNDPREV), overlay);
    const RECT got = WindowRect(overlay);
    EXPECT_EQ(got.left, frameBefore.left + GetSystemMetrics(SM_CXFRAME));
    // The end of the session takes the program down as a quit does.
    HWND formWindow = form.hwnd();
    SendMessageW(formWindow, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(overlay)) << "the overlay outlived the program";
    EXPECT_FALSE(IsWindow(formWindow));
  }
}

// High contrast, as a test answers for it (Wine refuses to switch it on), in both modes: while
// it is on the window in front keeps its own caption, not a pixel of it changed, and no overlay
// shows; the program stays. Switched off, one tick decorates again.
TEST(HighContrast, CaptionsAreTheSystemsWhileItIsOnInBothModes) {
  struct Unsteer {
    ~Unsteer() { lum::SteerHighContrast(std::nullopt); }
  } unsteer;
  for (const bool overlay : {false, true}) {
    SCOPED_TRACE(overlay ? "overlay" : "title bar");
    FormInMode started(overlay);
    ASSERT_TRUE(started.loaded);
    lum::TrayForm& form = *started.form;
    ASSERT_EQ(form.caption().overlay() != nullptr, overlay);
    TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"High contrast");
    lumtest::PumpMessages();
    auto caption = [&] {
      const lumtest::WindowPixels shot = lumtest::CaptureWindow(target.get());
      const auto rect = CaptionRenderer::GetCaptionRect(target.get());
      std::vector<uint32_t> pixels;
      for (int y = rect ? rect->top : 0; rect && y < rect->bottom; ++y)
        for (int x = rect->left; x < rect->right && x < shot.width; ++x) pixels.push_back(shot.at(x, y));
      return pixels;
    };
    auto changed = [&](const std::vector<uint32_t>& own) {
      const std::vector<uint32_t> now = caption();
      int count = 0;
      for (size_t i = 0; i < now.size() && i < own.size(); ++i) count += now[i] != own[i];
      return count;
    };
    auto tick = [&] {
      form.caption().Timer1_Timer();
      lumtest::PumpMessages();
    };
    auto decorated = [&](const std::vector<uint32_t>& own) {
      return overlay ? form.caption().overlay() && form.caption().overlay()->visible() : changed(own) > 0;
    };
    const std::vector<uint32_t> own = caption();
    ASSERT_FALSE(own.empty());
    tick();
    ASSERT_TRUE(decorated(own));

    lum::SteerHighContrast(true);
    SendMessageW(form.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    // The window events that show the overlay between ticks come too.
    SetWindowPos(target.get(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(changed(own), 0) << "pixels of the caption changed while high contrast is on";
    EXPECT_EQ(form.caption().overlay(), nullptr) << "an overlay kept, which a window event may show";
    HWND shown = FindWindowW(L"LumbrelCaptionOverlay", nullptr);
    EXPECT_FALSE(shown && IsWindowVisible(shown));
    EXPECT_TRUE(IsWindow(form.hwnd()));

    lum::SteerHighContrast(false);
    SendMessageW(form.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    tick();
    EXPECT_TRUE(decorated(own)) << "not decorated again within a tick";
  }
}

}  // namespace
