#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imaging/memory_canvas.h"
#include "platform/scoped_win.h"
#include "render/caption_renderer.h"
#include "render/glyph_cache.h"

namespace lum {
namespace {

// The green channel of a black canvas after `draw`.
template <typename Draw>
std::vector<uint8_t> Coverage(Draw draw) {
  MemoryCanvas canvas;
  canvas.FitDib(420, 40);
  std::fill_n(canvas.bits(), 420 * 40, 0u);
  draw(canvas);
  GdiFlush();
  std::vector<uint8_t> green(420 * 40);
  for (size_t i = 0; i < green.size(); ++i) green[i] = static_cast<uint8_t>(canvas.bits()[i] >> 8);
  return green;
}

TEST(GlyphCache, LinesComeOutAsDrawTextDrawsThem) {
  const std::u16string lines[] = {u"無題 - メモ帳 2026/12/09 13:58:07", u"Lumbrel caption Wg|fj", u"令和8年12月9日(水) 午後1時58分",
                                  u"i", u"WWWW MMMM 0123456789"};
  const UINT formats[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  const RECT box{30, 4, 400, 22};
  GlyphCache cache;  // one cache through the whole table, as the renderer keeps it
  for (bool bold : {false, true}) {
    ScopedGdiObject<HFONT> font(MakeCaptionFont(bold));
    for (const std::u16string& line : lines)
      for (UINT align : formats) {
        const UINT format = align | DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;
        SCOPED_TRACE(std::string(bold ? "bold, " : "") + "format " + std::to_string(format) + ", line " +
                     std::to_string(&line - lines));
        bool drawn = false;
        const auto ours = Coverage([&](MemoryCanvas& c) { drawn = cache.Draw(c, line, box, format, font.get()); });
        ASSERT_TRUE(drawn);
        const auto system = Coverage([&](MemoryCanvas& c) {
          ScopedSelect selected(c.dc(), font.get());
          SetBkMode(c.dc(), TRANSPARENT);
          SetTextColor(c.dc(), RGB(255, 255, 255));
          std::wstring text(line.begin(), line.end());
          RECT r = box;
          DrawTextW(c.dc(), text.data(), static_cast<int>(text.size()), &r, format);
        });
        int differing = 0, inked = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
          differing += ours[i] != system[i];
          inked += system[i] != 0;
        }
        EXPECT_GT(inked, 0);
        EXPECT_EQ(differing, 0);
      }
  }
  // What DrawText does more than placing glyphs is left to it.
  ScopedGdiObject<HFONT> font(MakeCaptionFont(false));
  for (const std::u16string& line : {std::u16string(u"Save && Exit"), std::u16string(u"a\tb"), std::u16string(200, u'W'), std::u16string()}) {
    bool drawn = true;
    const auto ours = Coverage([&](MemoryCanvas& c) {
      drawn = cache.Draw(c, line, box, DT_LEFT | DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_VCENTER, font.get());
    });
    EXPECT_FALSE(drawn);
    EXPECT_EQ(std::count(ours.begin(), ours.end(), 0), static_cast<long>(ours.size()));
  }
}

}  // namespace
}  // namespace lum
