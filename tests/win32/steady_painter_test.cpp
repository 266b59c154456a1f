#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "render/caption_renderer.h"
#include "render/steady_painter.h"
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

TEST(SteadyPainter, KeepsTheCaptionPaintedUntilWhatItShowsChanges) {
  struct Change {
    const char* name;
    void (*apply)(HWND, SteadyFacts&);
  };
  const Change changes[] = {
      {"a new title", [](HWND window, SteadyFacts&) { SetWindowTextW(window, L"Steady caption, retitled"); }},
      {"another clock text", [](HWND, SteadyFacts& facts) { facts.clockShown = true, facts.clock = u"--"; }},
      {"another window in front", [](HWND, SteadyFacts& facts) { facts.window = GetDesktopWindow(); }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    lumtest::TestWindow window(WS_OVERLAPPEDWINDOW, 0, L"Steady caption");
    ASSERT_TRUE(window.get());
    SharedSettings settings;
    CaptionRenderer renderer(&settings);
    renderer.SetTextColor(RGB(255, 255, 0));
    renderer.RepaintCaption(window.get());
    std::optional<SteadyFacts> facts = renderer.PaintedFacts();
    ASSERT_TRUE(facts);
    const std::vector<uint32_t> ours = CaptionPixels(window.get(), facts->rect);
    const auto systems = [&] {
      RedrawWindow(window.get(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      return CaptionPixels(window.get(), facts->rect);
    };
    ASSERT_NE(systems(), ours);

    SteadyPainter painter(window.get(), kWake, 40);
    ASSERT_TRUE(painter.Publish(*facts, renderer.composedDC()));
    // The system paints its own caption; the painter's next tick puts ours back.
    systems();
    EXPECT_FALSE(WokenWithin(window.get(), 300));
    EXPECT_EQ(CaptionPixels(window.get(), facts->rect), ours);

    SteadyFacts changed = *facts;
    change.apply(window.get(), changed);
    if (changed.window != facts->window || changed.clock != facts->clock) painter.Publish(changed, renderer.composedDC());
    EXPECT_TRUE(WokenWithin(window.get(), 300));
    // Handed back: it paints no more.
    const std::vector<uint32_t> after = systems();
    WokenWithin(window.get(), 200);
    EXPECT_EQ(CaptionPixels(window.get(), facts->rect), after);
    EXPECT_FALSE(painter.Withdraw());
  }
}

}  // namespace
}  // namespace lum
