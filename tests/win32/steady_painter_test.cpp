#include "render/steady_painter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "app/tray_form.h"
#include "render/caption_renderer.h"
#include "settings/settings_menu.h"
#include "test_support.h"

namespace lum {
namespace {

constexpr UINT kWake = WM_APP + 5;

std::vector<uint32_t> CaptionPixels(HWND window, const CaptionRect& rect) {
  const lumtest::WindowPixels shot = lumtest::CaptureWindow(window);
  std::vector<uint32_t> pixels;
  for (int y = rect.top; y < rect.bottom && rect.right <= shot.width; ++y)
    for (int x = rect.left; x < rect.right; ++x) pixels.push_back(shot.at(x, y));
  return pixels;
}

// Pumps for `ms`; true if the painter's wake message came meanwhile.
bool WokenWithin(HWND window, int ms) {
  bool woken = false;
  for (const DWORD end = GetTickCount() + ms; static_cast<int>(end - GetTickCount()) > 0; Sleep(10)) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.hwnd == window && message.message == kWake) woken = true;
      DispatchMessageW(&message);
    }
  }
  return woken;
}

// Whatever the caption shows changing stops the painter: the window's facts, the clock text, or a
// change of the settings (the store's generation), though no message reaches the window thread.
TEST(SteadyPainter, KeepsTheCaptionPaintedUntilWhatItShowsChanges) {
  std::atomic<uint32_t> generation{7};
  struct Change {
    const char* name;
    std::function<void(HWND, SteadyFacts&)> apply;
  };
  const Change changes[] = {
      {"a new title", [](HWND window, SteadyFacts&) { SetWindowTextW(window, L"Steady caption, retitled"); }},
      {"another clock text", [](HWND, SteadyFacts& facts) { facts.clockShown = true, facts.clock = u"--"; }},
      {"another window in front", [](HWND, SteadyFacts& facts) { facts.caption.window = GetDesktopWindow(); }},
      {"a setting changed", [&](HWND, SteadyFacts&) { ++generation; }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    lumtest::TestWindow window(WS_OVERLAPPEDWINDOW, 0, L"Steady caption");
    ASSERT_TRUE(window.get());
    CaptionRenderer renderer;
    lum::CaptionStyle style;
    style.textColor = RGB(255, 255, 0);
    renderer.SetStyle(style);
    renderer.RepaintCaption(window.get());
    std::optional<SteadyFacts> facts = renderer.PaintedFacts();
    ASSERT_TRUE(facts);
    facts->generation = generation;
    const std::vector<uint32_t> ours = CaptionPixels(window.get(), facts->rect);
    const auto systems = [&] {
      RedrawWindow(window.get(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      return CaptionPixels(window.get(), facts->rect);
    };
    ASSERT_NE(systems(), ours);

    SteadyPainter painter(window.get(), kWake, 40, &generation);
    ASSERT_TRUE(painter.Publish(*facts, renderer.composedDC()));
    // The system paints its own caption; the painter's next tick puts ours back.
    systems();
    EXPECT_FALSE(WokenWithin(window.get(), 300));
    EXPECT_EQ(CaptionPixels(window.get(), facts->rect), ours);

    SteadyFacts changed = *facts;
    change.apply(window.get(), changed);
    if (changed.caption.window != facts->caption.window || changed.clock != facts->clock)
      painter.Publish(changed, renderer.composedDC());
    EXPECT_TRUE(WokenWithin(window.get(), 300));
    // Handed back: it paints no more.
    const std::vector<uint32_t> after = systems();
    WokenWithin(window.get(), 200);
    EXPECT_EQ(CaptionPixels(window.get(), facts->rect), after);
    EXPECT_FALSE(painter.Withdraw());
  }
}

// The painter's window DCs, as the seam reports them: how many are held, and the threads that
// took or gave one back.
struct DCLog {
  std::mutex mutex;
  int held = 0;
  std::set<DWORD> threads;
} dcLog;

HDC WINAPI LoggedGetDC(HWND window) {
  HDC dc = GetWindowDC(window);
  std::lock_guard<std::mutex> lock(dcLog.mutex);
  dcLog.threads.insert(GetCurrentThreadId());
  if (dc) ++dcLog.held;
  return dc;
}

int WINAPI LoggedReleaseDC(HWND window, HDC dc) {
  std::lock_guard<std::mutex> lock(dcLog.mutex);
  dcLog.threads.insert(GetCurrentThreadId());
  --dcLog.held;
  return ReleaseDC(window, dc);
}

int HeldAfter(HWND window, int ms) {
  WokenWithin(window, ms);
  std::lock_guard<std::mutex> lock(dcLog.mutex);
  return dcLog.held;
}

// Every window DC the painter takes it gives back on its own thread, never the caller's: when
// another window comes in front, a moment after the caption is taken back (it holds no DC of a
// window it has stopped painting) and at its end.
TEST(SteadyPainter, TakesAndGivesBackWindowDCsOnItsOwnThreadOnly) {
  lumtest::TestWindow first(WS_OVERLAPPEDWINDOW, 0, L"Steady first");
  ASSERT_TRUE(first.get());
  CaptionRenderer renderer;
  renderer.RepaintCaption(first.get());
  const std::optional<SteadyFacts> one = renderer.PaintedFacts();
  ASSERT_TRUE(one);
  SteadyFacts other = *one;
  other.caption.window = GetDesktopWindow();  // another window in front
  {
    SteadyPainter painter(first.get(), kWake, 40, nullptr, {LoggedGetDC, LoggedReleaseDC});
    ASSERT_TRUE(painter.Publish(*one, renderer.composedDC()));
    EXPECT_EQ(HeldAfter(first.get(), 200), 1) << "no DC taken while serving";
    painter.Withdraw();
    EXPECT_EQ(HeldAfter(first.get(), 1500), 0) << "a DC kept after the caption was taken back";
    ASSERT_TRUE(painter.Publish(*one, renderer.composedDC()));
    EXPECT_EQ(HeldAfter(first.get(), 200), 1);
    painter.Publish(other, renderer.composedDC());
    EXPECT_EQ(HeldAfter(first.get(), 200), 0) << "the first window's DC kept for another window";
    ASSERT_TRUE(painter.Publish(*one, renderer.composedDC()));
    EXPECT_EQ(HeldAfter(first.get(), 200), 1);
  }
  std::lock_guard<std::mutex> lock(dcLog.mutex);
  EXPECT_EQ(dcLog.held, 0) << "a DC kept past the painter's end";
  EXPECT_EQ(dcLog.threads.size(), 1u) << "DCs taken and given back on more than one thread";
  EXPECT_EQ(dcLog.threads.count(GetCurrentThreadId()), 0u) << "a DC given back on the caller's thread";
}

// In the tray form: messages the window thread handles leave the caption with the painter, and a
// setting changed through the store brings it back to a tick that paints the new style.
TEST(SteadyCaption, OnlyWhatTheCaptionShowsTakesItBack) {
  lumtest::TempFolder folder;
  ASSERT_TRUE(lumtest::WriteFileBytes(folder.File(kIniName),
                                      "[DEFAULT]\r\nFIRST=1\r\nOVERLAY=0\r\nANIMATION=0\r\nCOLOR=16777215\r\n"
                                      "SHADOWCOLOR=255\r\n[CUSTOMIZE]\r\n"));
  SettingsStore store;
  TrayFormOptions options{folder.path(), lumtest::UniqueInstanceName(), false};
  options.steadyPainter = true;
  TrayForm form(store, options);
  ASSERT_TRUE(form.Form_Load());
  lumtest::TestWindow target(WS_OVERLAPPEDWINDOW, 0, L"Steady target");
  // The outline's red pixels in the caption as the window shows it.
  auto outlined = [&] {
    const auto rect = CaptionRenderer::GetCaptionRect(target.get());
    if (!rect) return 0;
    const auto pixels = CaptionPixels(target.get(), *rect);
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), 0xFF0000u));
  };
  // Pumps until the painter serves a caption with or without the outline on the window.
  auto servedWithin = [&](int ms, bool outline) {
    for (const DWORD end = GetTickCount() + ms; static_cast<int>(end - GetTickCount()) > 0; Sleep(10)) {
      lumtest::PumpMessages();
      if (form.caption().steadyServing() && (outlined() > 0) == outline) return true;
    }
    return false;
  };
  ASSERT_TRUE(servedWithin(2000, false)) << "an unchanged caption was not handed to the painter";
  for (UINT message : {WM_NULL, WM_MOUSEMOVE, WM_TIMER, WM_APP + 99}) {
    SendMessageW(form.hwnd(), message, message == WM_TIMER ? NewsController::kTimNewsId : 0, 0);
    PostMessageW(form.hwnd(), message, message == WM_TIMER ? NewsController::kTimNewsId : 0, 0);
  }
  WokenWithin(form.hwnd(), 400);
  EXPECT_TRUE(form.caption().steadyServing()) << "a message took the caption back";

  const uint32_t before = store.generation();
  form.RunMenuCommand(kMnuShadow);
  ASSERT_NE(store.generation(), before);
  EXPECT_TRUE(servedWithin(2000, true)) << "not handed over again with the new style";
}

}  // namespace
}  // namespace lum
