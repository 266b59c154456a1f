// What the renderer learns of its target window: whether it draws its own title bar (then it
// is left alone) and the DPI its caption is laid out at.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/scoped_win.h"
#include "render/caption_renderer.h"
#include "test_support.h"

namespace {

using lum::CaptionMetrics;
using lum::CaptionRenderer;
using lumtest::CaptureWindow;
using lumtest::TestWindow;

constexpr int kTabRows = 40;
constexpr COLORREF kTabColour = RGB(40, 180, 60);

// A window as browsers and terminals make them: the client area takes in the caption band,
// and the program paints its tabs there.
LRESULT CALLBACK OwnTitleBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && wParam) {
    auto* sizes = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    const LONG top = sizes->rgrc[0].top;
    DefWindowProcW(window, message, wParam, lParam);
    sizes->rgrc[0].top = top;
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT tabs{0, 0, 4000, kTabRows};
    lum::ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(kTabColour));
    FillRect(dc, &tabs, brush.get());
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeOwnTitleBarWindow() {
  static const ATOM registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OwnTitleBarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"LumbrelTestOwnTitleBar";
    return RegisterClassExW(&wc);
  }();
  (void)registered;
  HWND window = CreateWindowExW(0, L"LumbrelTestOwnTitleBar", L"Tabs", WS_OVERLAPPEDWINDOW, 60, 60, 480, 220, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

const lum::TargetLayout& LayOut(CaptionRenderer& renderer, HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return renderer.LayOutTarget(window, rect, static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)),
                               static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE)));
}

TEST(TargetLayout, AWindowWithItsOwnTitleBarIsLeftAloneAnOrdinaryOneIsPainted) {
  HWND tabs = MakeOwnTitleBarWindow();
  ASSERT_TRUE(tabs);
  TestWindow ordinary(WS_OVERLAPPEDWINDOW, 0, L"Ordinary");
  lumtest::PumpMessages();
  CaptionRenderer renderer;

  const lum::TargetLayout& own = LayOut(renderer, tabs);
  EXPECT_TRUE(own.ownTitleBar);
  ASSERT_TRUE(own.caption);
  const lum::CaptionRect tabsCaption = *own.caption;
  const auto before = CaptureWindow(tabs);
  renderer.RepaintCaption(tabs);
  const auto after = CaptureWindow(tabs);
  ASSERT_GT(before.width, 0);
  ASSERT_EQ(before.pixels.size(), after.pixels.size());
  int tabPixels = 0, changed = 0;
  for (int y = 0; y < kTabRows; ++y)
    for (int x = tabsCaption.left; x < tabsCaption.right; ++x) {
      tabPixels += before.at(x, y) == 0x28B43Cu;  // kTabColour as 0x00RRGGBB
      changed += before.at(x, y) != after.at(x, y);
    }
  EXPECT_GT(tabPixels, tabsCaption.Width() * (kTabRows - 8)) << "the tabs were not painted under the caption";
  EXPECT_EQ(changed, 0) << "pixels of the window's own title bar were painted over";

  const lum::TargetLayout& plain = LayOut(renderer, ordinary.get());
  EXPECT_FALSE(plain.ownTitleBar);
  ASSERT_TRUE(plain.caption);
  EXPECT_EQ(*plain.caption, *CaptionRenderer::GetCaptionRect(ordinary.get()));
  const lum::CaptionRect caption = *plain.caption;
  const auto plainBefore = CaptureWindow(ordinary.get());
  renderer.RepaintCaption(ordinary.get());
  const auto plainAfter = CaptureWindow(ordinary.get());
  int painted = 0;
  for (int y = caption.top; y < caption.bottom; ++y)
    for (int x = caption.left; x < caption.right; ++x) painted += plainBefore.at(x, y) != plainAfter.at(x, y);
  EXPECT_GT(painted, caption.Width() * caption.Height() / 2) << "the ordinary window's caption was not painted";

  // Resized, the tabbed window is asked again, and still draws its own title bar.
  SetWindowPos(tabs, nullptr, 0, 0, 600, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(LayOut(renderer, tabs).ownTitleBar);
  // Gone between two questions: nothing to lay out over, nothing painted, no crash.
  DestroyWindow(tabs);
  EXPECT_FALSE(LayOut(renderer, tabs).ownTitleBar);
  renderer.RepaintCaption(tabs);
}

TEST(TargetLayout, TheCaptionFollowsTheWindowsDpi) {
  TestWindow window(WS_OVERLAPPEDWINDOW, 0, L"Dpi");
  CaptionRenderer renderer;
  // Every window here is on the one monitor, at the system's DPI: laid out with the system's
  // own metrics.
  EXPECT_EQ(lum::WindowDpi(window.get()), lum::SystemDpi());
  EXPECT_EQ(LayOut(renderer, window.get()).dpi, 0u);
  EXPECT_EQ(renderer.metrics(), CaptionMetrics::Read());

  // On a monitor of 150 %, everything is 1.5 times as large.
  const CaptionMetrics base = CaptionMetrics::Read(), scaled = CaptionMetrics::Read(lum::SystemDpi() * 3 / 2);
  const auto half = [](int v) { return v * 3.0 / 2.0; };
  EXPECT_NEAR(scaled.frame.cyCaption, half(base.frame.cyCaption), 1.5);
  EXPECT_NEAR(scaled.buttonWidth, half(base.buttonWidth), 1.5);
  EXPECT_NEAR(scaled.buttonHeight, half(base.buttonHeight), 1.5);
  auto height = [](HFONT font) {
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    DeleteObject(font);
    return log.lfHeight;
  };
  const LONG baseFont = height(lum::MakeCaptionFont(true)),
             scaledFont = height(lum::MakeCaptionFont(true, lum::SystemDpi() * 3 / 2));
  ASSERT_NE(baseFont, 0);
  EXPECT_NEAR(scaledFont, half(baseFont), 1.0) << "caption font " << baseFont << " at the system's DPI";
}

}  // namespace
