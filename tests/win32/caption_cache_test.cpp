// The renderer keeps what it composed from one tick to the next. A kept layer that missed a
// change would show a stale caption, so every change the caption can see is painted by a
// renderer that has painted before and compared with a fresh renderer's paint and with the
// caption composed layer by layer, each layer drawn on its own, tiles copied one at a time.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/scoped_win.h"
#include "render/caption_renderer.h"
#include "test_support.h"

namespace {

using lum::CaptionRect;
using lum::CaptionRenderer;
using lum::ScopedBitmap;
using lum::ScopedFont;
using lum::ScopedMemoryDC;
using lum::ScopedSelect;
using lum::ScopedWindowDC;
using lumtest::CaptureWindow;
using lumtest::TestWindow;

// Columns of changing colour; `shade` tells the animation frames apart.
ScopedBitmap Frame(int width, int height, int shade) {
  std::vector<uint32_t> bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bits.push_back(static_cast<uint32_t>((x * 37 + shade * 90) & 0xFF) << 16 | (0x40u + y * 9) << 8 | shade * 60);
  return ScopedBitmap(CreateBitmap(width, height, 1, 32, bits.data()));
}

// What the caption shows, besides the window itself.
struct Look {
  HBITMAP picture = nullptr;
  int second = 0;
  bool bold = false;
  int32_t alignment = 0;
  int32_t textColor = RGB(255, 255, 255);
};

class CaptionCache : public testing::Test {
 protected:
  CaptionCache() {
    settings_.clockShown = true;
    settings_.clockFormatIndex = 0;  // with seconds
    settings_.outline = true;
    settings_.outlineColor = RGB(0, 0, 128);
  }

  void Configure(CaptionRenderer& renderer) {
    renderer.SetClockSource([this] { return lum::ClockMoment{2000, 1, 1, 1, 30, look_.second}; });
    renderer.SetCaptionPicture(look_.picture);
    lum::CaptionStyle style = settings_;
    style.bold = look_.bold;
    style.alignment = look_.alignment;
    style.textColor = look_.textColor;
    renderer.SetStyle(style);
  }

  // The caption as it is on the window now.
  std::vector<uint32_t> Caption(HWND window) {
    const std::optional<CaptionRect> rect = CaptionRenderer::GetCaptionRect(window);
    const lumtest::WindowPixels shot = CaptureWindow(window);
    std::vector<uint32_t> pixels;
    if (!rect || shot.width < rect->right) return pixels;
    for (int y = rect->top; y < rect->bottom; ++y)
      for (int x = rect->left; x < rect->right; ++x) pixels.push_back(shot.at(x, y));
    return pixels;
  }

  // The caption composed from scratch, every layer drawn straight onto one new bitmap.
  void PaintLayerByLayer(HWND window) {
    CaptionRenderer renderer;
    Configure(renderer);
    const std::optional<CaptionRect> rect = CaptionRenderer::GetCaptionRect(window);
    ASSERT_TRUE(rect);
    ScopedWindowDC windowDC(window);
    ScopedMemoryDC surface(windowDC.get());
    ScopedBitmap composition(CreateCompatibleBitmap(windowDC.get(), rect->right, rect->bottom));
    ScopedSelect selected(surface.get(), composition.get());
    if (look_.picture) {
      BITMAP info{};
      GetObjectW(look_.picture, sizeof info, &info);
      ScopedMemoryDC pictureDC(surface.get());
      ScopedSelect picture(pictureDC.get(), look_.picture);
      for (int y = rect->top; y < rect->bottom; y += info.bmHeight)
        for (int x = rect->left; x < rect->right; x += info.bmWidth)
          BitBlt(surface.get(), x, y, info.bmWidth, info.bmHeight, pictureDC.get(), 0, 0, SRCCOPY);
    } else {
      renderer.DrawGradientBackground(window, surface.get(), *rect);
    }
    const int iconWidth = renderer.DrawCaptionIcon(window, surface.get(), *rect);
    const int buttonWidth = renderer.DrawCaptionButtons(window, surface.get(), *rect);
    ScopedFont font(lum::MakeCaptionFont(look_.bold));
    renderer.DrawCaptionText(window, surface.get(), iconWidth, buttonWidth, *rect, true, font.get());
    BitBlt(windowDC.get(), rect->left, rect->top, rect->Width(), rect->Height(), surface.get(), rect->left, rect->top,
           SRCCOPY);
  }

  lum::CaptionStyle settings_;
  Look look_;
};

std::string FirstDifference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) {
  if (got.empty() || got.size() != want.size()) return "no caption or sizes differ";
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i]) return "pixel " + std::to_string(i);
  return "";
}

TEST_F(CaptionCache, EveryChangeBetweenTwoPaintsShowsLikeAFreshPaint) {
  TestWindow window(WS_OVERLAPPEDWINDOW, 0, L"Caption cache");
  ASSERT_TRUE(window.get());
  ScopedBitmap first = Frame(40, 7, 0), second = Frame(40, 7, 1), thin = Frame(1, 3, 2);
  const HWND hwnd = window.get();
  const auto style = static_cast<LONG>(GetWindowLongW(hwnd, GWL_STYLE));
  struct Change {
    const char* name;
    std::function<void(CaptionRenderer&)> apply;
  };
  const Change changes[] = {
      {"nothing", [](CaptionRenderer&) {}},
      {"title text", [&](CaptionRenderer&) { SetWindowTextW(hwnd, L"Caption cache, retitled"); }},
      {"clock second", [&](CaptionRenderer&) { ++look_.second; }},
      {"animation frame", [&](CaptionRenderer&) { look_.picture = second.get(); }},
      {"one-pixel-wide frame", [&](CaptionRenderer&) { look_.picture = thin.get(); }},
      {"no picture", [&](CaptionRenderer&) { look_.picture = nullptr; }},
      {"bold", [&](CaptionRenderer&) { look_.bold = true; }},
      {"an earlier frame again, a second later",
       [&](CaptionRenderer& kept) {
         look_.picture = second.get();
         Configure(kept);
         kept.RepaintCaption(hwnd);
         look_.picture = first.get();
         ++look_.second;
       }},
      {"an earlier frame again, after a new title and a new second on another frame",
       [&](CaptionRenderer& kept) {
         look_.picture = second.get();
         SetWindowTextW(hwnd, L"Caption cache, a longer title");
         Configure(kept);
         kept.RepaintCaption(hwnd);
         ++look_.second;
         Configure(kept);
         kept.RepaintCaption(hwnd);
         look_.picture = first.get();
       }},
      {"an earlier frame again, many seconds later",
       [&](CaptionRenderer& kept) {
         look_.picture = second.get();
         for (int i = 0; i < 12; ++i, ++look_.second) {
           Configure(kept);
           kept.RepaintCaption(hwnd);
         }
         look_.picture = first.get();
       }},
      {"alignment", [&](CaptionRenderer&) { look_.alignment = 2; }},
      {"text colour", [&](CaptionRenderer&) { look_.textColor = RGB(255, 255, 0); }},
      {"outline colour", [&](CaptionRenderer&) { settings_.outlineColor = RGB(128, 0, 0); }},
      {"outline off", [&](CaptionRenderer&) { settings_.outline = false; }},
      {"clock off", [&](CaptionRenderer&) { settings_.clockShown = false; }},
      {"maximised state", [&](CaptionRenderer&) { SetWindowLongW(hwnd, GWL_STYLE, style | WS_MAXIMIZE); }},
      {"maximised", [&](CaptionRenderer&) { ShowWindow(hwnd, SW_MAXIMIZE); }},
      {"restored after a maximised paint",
       [&](CaptionRenderer& kept) {
         ShowWindow(hwnd, SW_MAXIMIZE);
         window.Settle();
         kept.RepaintCaption(hwnd);
         ShowWindow(hwnd, SW_RESTORE);
       }},
      {"no minimise box", [&](CaptionRenderer&) { SetWindowLongW(hwnd, GWL_STYLE, style & ~WS_MINIMIZEBOX); }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    look_ = Look{first.get()};
    settings_.outline = true;
    settings_.outlineColor = RGB(0, 0, 128);
    settings_.clockShown = true;
    SetWindowLongW(hwnd, GWL_STYLE, style);
    SetWindowTextW(hwnd, L"Caption cache");
    ShowWindow(hwnd, SW_RESTORE);
    window.Settle();

    CaptionRenderer kept;
    Configure(kept);
    kept.RepaintCaption(hwnd);
    change.apply(kept);
    window.Settle();
    Configure(kept);
    kept.RepaintCaption(hwnd);
    const std::vector<uint32_t> got = Caption(hwnd);

    CaptionRenderer fresh;
    Configure(fresh);
    fresh.RepaintCaption(hwnd);
    EXPECT_EQ(FirstDifference(got, Caption(hwnd)), "") << "unlike a fresh renderer's paint";
    ASSERT_NO_FATAL_FAILURE(PaintLayerByLayer(hwnd));
    EXPECT_EQ(FirstDifference(got, Caption(hwnd)), "") << "unlike the caption composed layer by layer";
  }
  ShowWindow(hwnd, SW_RESTORE);
}

// A tick that changes nothing copies the stored caption again: the window system's own
// repaint of the caption (activation, say) is painted over with the same pixels.
TEST_F(CaptionCache, UnchangedTickRestoresTheCaptionAfterTheSystemRepaintsIt) {
  TestWindow window(WS_OVERLAPPEDWINDOW, 0, L"Caption cache");
  ASSERT_TRUE(window.get());
  ScopedBitmap picture = Frame(40, 7, 0);
  look_.picture = picture.get();
  CaptionRenderer renderer;
  Configure(renderer);
  renderer.RepaintCaption(window.get());
  const std::vector<uint32_t> painted = Caption(window.get());
  RedrawWindow(window.get(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_NE(FirstDifference(Caption(window.get()), painted), "") << "the system did not repaint its caption";
  renderer.RepaintCaption(window.get());
  EXPECT_EQ(FirstDifference(Caption(window.get()), painted), "");
}

}  // namespace
