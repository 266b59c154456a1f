#include <gtest/gtest.h>

#include "anim/animation_frames.h"
#include "render/caption_geometry.h"
#include "render/repaint_cycle.h"

namespace lum {
namespace {

TEST(TickFilter, OnlyCaptionFramesAreInspected) {
  EXPECT_TRUE(HasCaptionFrame(0x00CF0000));   // overlapped window
  EXPECT_TRUE(HasCaptionFrame(0x00400000));   // dialog frame alone
  EXPECT_FALSE(HasCaptionFrame(0x00800000));  // thin border only
  EXPECT_FALSE(HasCaptionFrame(0x80000000));  // borderless pop-up
}

TEST(TickFilter, ClassNames) {
  EXPECT_FALSE(IsPaintableClass(u"ToolbarWindow32"));
  EXPECT_FALSE(IsPaintableClass(u"Afx:400000:8:10011:0:0"));
  EXPECT_FALSE(IsPaintableClass(u"EXCEL"));
  EXPECT_TRUE(IsPaintableClass(u"toolbarwindow32"));  // the comparison is exact
  EXPECT_TRUE(IsPaintableClass(u"Excel"));
  EXPECT_FALSE(IsPaintableClass(u"#32770"));
  EXPECT_TRUE(IsPaintableClass(u"Notepad"));
  EXPECT_TRUE(IsPaintableClass(u"A#"));
  EXPECT_FALSE(IsPaintableClass(CleanClassName(std::u16string(u"Base\0Bar", 8))));
  EXPECT_FALSE(IsPaintableClass(CleanClassName(std::u16string(u"\0#32770", 7))));
}

TEST(AnimationFrames, CycleThroughTheFrames) {
  int32_t counter = 1;
  std::vector<int32_t> seen;
  for (int i = 0; i < 5; ++i) seen.push_back(counter = AdvanceFrame(counter, 3));
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 3, 1, 2, 3}));
  EXPECT_EQ(AdvanceFrame(0, 3), 0);  // animation off
  EXPECT_EQ(AdvanceFrame(1, 1), 1);
}

FrameMetrics WineMetrics() {
  FrameMetrics m;
  m.cxFrame = m.cyFrame = 4;
  m.cxDlgFrame = m.cyDlgFrame = 3;
  m.cyCaption = 19;
  m.cyBorder = 1;
  return m;
}

TEST(CaptionGeometry, SizableWindowUsesTheSizingFrame) {
  auto r = ComputeCaptionRect({0x00CF0000, 0, false, 640, 200}, WineMetrics());
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, (CaptionRect{4, 4, 636, 22}));
}

TEST(CaptionGeometry, MinimisedAndDialogFramedWindowsUseTheDialogFrame) {
  auto minimised = ComputeCaptionRect({0x00CF0000, 0, true, 160, 24}, WineMetrics());
  ASSERT_TRUE(minimised);
  EXPECT_EQ(*minimised, (CaptionRect{3, 3, 157, 21}));
  auto dialog = ComputeCaptionRect({0x00C80000, 0, false, 300, 100}, WineMetrics());
  ASSERT_TRUE(dialog);
  EXPECT_EQ(*dialog, (CaptionRect{3, 3, 297, 21}));
}

TEST(CaptionGeometry, ToolWindowsAndFlatWindows) {
  auto tool = ComputeCaptionRect({0x00CF0000, kWsExToolWindow, false, 200, 100}, WineMetrics());
  ASSERT_TRUE(tool);
  EXPECT_LT(tool->bottom, tool->top);  // no caption height: nothing to paint
  EXPECT_FALSE(ComputeCaptionRect({0x00CF0000, 0, false, 200, 0}, WineMetrics()));
  EXPECT_FALSE(ComputeCaptionRect({0x00CF0000, 0, false, 200, -5}, WineMetrics()));
}

TEST(CaptionGeometry, ClientAreaInTheCaptionBandMeansAnOwnTitleBar) {
  const CaptionRect caption{4, 4, 636, 22};  // a 640-pixel sizable window
  struct Case {
    const char* name;
    CaptionRect caption, client;
    bool own;
  };
  const Case cases[] = {
      {"ordinary: the client starts under the line below the caption", caption, {4, 23, 636, 196}, false},
      {"ordinary with a menu bar", caption, {4, 42, 636, 196}, false},
      {"client from the window's top (tabs in the caption)", caption, {4, 0, 636, 196}, true},
      {"client from the frame's top", caption, {4, 4, 636, 196}, true},
      {"one row into the caption", caption, {4, 21, 636, 196}, true},
      {"client ending right where the caption starts", caption, {4, 0, 636, 4}, false},
      {"minimised: no client area", caption, {0, 0, 0, 0}, false},
      {"tool window: no caption band", {4, 4, 636, 3}, {4, 0, 636, 196}, false},
      {"client beside the caption band only", caption, {636, 0, 640, 196}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClientReachesCaption(c.caption, c.client), c.own);
  }
}

}  // namespace
}  // namespace lum

namespace lum {
namespace {

TEST(AnimationFrames, BandCountFollowsTheButtonHeight) {
  EXPECT_EQ(AnimationFrameCount(90, 18), 5);
  EXPECT_EQ(AnimationFrameCount(95, 18), 5);  // the last rows are never shown
  EXPECT_EQ(AnimationFrameCount(17, 18), 1);
  EXPECT_EQ(AnimationFrameCount(2000, 18), 100);
  EXPECT_EQ(AnimationFrameCount(0, 18), 1);
  EXPECT_EQ(AnimationFrameCount(90, 0), 1);
}

// The designed band is the caption at 96 dpi: Wine's 18-px caption at 100 % and its 22, 27, 31
// and 36 px at 125 to 200 % all give 18; an unknown DPI keeps the caption's height.
TEST(AnimationFrames, DesignBandIsTheCaptionAt96Dpi) {
  const struct {
    int32_t caption, dpi, band;
  } cases[] = {{18, 96, 18}, {22, 120, 18}, {27, 144, 18}, {31, 168, 18}, {36, 192, 18},
               {22, 96, 22}, {19, 144, 13}, {18, 0, 18}, {1, 192, 1}, {0, 144, 0}};
  for (const auto& c : cases) EXPECT_EQ(DesignBandHeight(c.caption, c.dpi), c.band) << c.caption << " at " << c.dpi;
}

}  // namespace
}  // namespace lum
