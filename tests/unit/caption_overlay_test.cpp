// The overlay's portable decisions: the caption mode from [DEFAULT] OVERLAY and the desktop,
// and where the overlay stands from whichever of the system's facts are at hand.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/caption_mode.h"
#include "render/overlay_geometry.h"

namespace {

using lum::CaptionMode;
using lum::ChooseCaptionMode;
using lum::ComputeOverlayRect;
using lum::CornerCut;
using lum::RoundedCornerCuts;
using lum::RoundedCornerRadius;
using lum::OverlayFacts;
using lum::ScreenRect;

TEST(CaptionModeChoice, KeyDecidesAndOtherwiseCompositionDoes) {
  struct Case {
    std::u16string value;
    CaptionMode withoutComposition, withComposition;
  };
  const CaptionMode bar = CaptionMode::kTitleBar, overlay = CaptionMode::kOverlay;
  const Case cases[] = {
      {u"0", bar, bar},       {u"1", overlay, overlay}, {u" 1 ", overlay, overlay},
      {u"", bar, overlay},    {u"2", bar, overlay},     {u"-1", bar, overlay},
      {u"yes", bar, overlay}, {u"1x", bar, overlay},    {u"99999999999", bar, overlay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value.begin(), c.value.end()));
    EXPECT_EQ(ChooseCaptionMode(c.value, false), c.withoutComposition);
    EXPECT_EQ(ChooseCaptionMode(c.value, true), c.withComposition);
  }
}

// A 500 x 300 window at (100, 50) with a classic 4-pixel frame and a 19-pixel caption.
OverlayFacts Classic() {
  OverlayFacts f;
  f.window = {100, 50, 600, 350};
  f.caption = lum::CaptionRect{4, 4, 496, 22};
  f.buttonArea = 56;
  f.captionLine = 1;
  return f;
}

TEST(OverlayRect, FromWhicheverFactsThereAre) {
  struct Case {
    const char* name;
    OverlayFacts facts;
    std::optional<ScreenRect> want;
  };
  std::vector<Case> cases;
  cases.push_back({"classic: the caption up to the button area", Classic(), ScreenRect{104, 54, 540, 72}});
  {
    OverlayFacts f = Classic();
    f.titleBar = ScreenRect{122, 54, 596, 75};  // leaves the icon out: only its height counts
    cases.push_back({"title bar gives the height, less the line under it", f, ScreenRect{104, 54, 540, 74}});
  }
  {
    // Composed: invisible 7-pixel borders, a 31-pixel caption, 138 pixels of buttons.
    OverlayFacts f = Classic();
    f.titleBar = ScreenRect{108, 51, 592, 81};
    f.frame = ScreenRect{107, 50, 593, 343};
    f.buttons = ScreenRect{355, 1, 493, 31};
    cases.push_back({"composed: frame bounds and the buttons' own bounds", f, ScreenRect{107, 51, 455, 80}});
  }
  {
    OverlayFacts f = Classic();
    f.buttons = ScreenRect{7, 1, 145, 31};
    cases.push_back({"buttons at the left: the band starts after them", f, ScreenRect{245, 54, 596, 72}});
  }
  {
    OverlayFacts f = Classic();
    f.buttons = ScreenRect{0, 0, 0, 0};
    cases.push_back({"empty button bounds count as missing", f, ScreenRect{104, 54, 540, 72}});
  }
  {
    OverlayFacts f = Classic();
    f.caption.reset();
    f.titleBar = ScreenRect{122, 54, 596, 73};
    cases.push_back({"no caption: the title bar alone", f, ScreenRect{122, 54, 540, 72}});
  }
  {
    OverlayFacts f = Classic();
    f.caption.reset();
    cases.push_back({"neither caption nor title bar", f, std::nullopt});
  }
  {
    OverlayFacts f = Classic();
    f.window = {100, 50, 100, 350};
    f.caption = lum::CaptionRect{4, 4, -4, 22};
    cases.push_back({"zero-width window", f, std::nullopt});
  }
  {
    OverlayFacts f = Classic();
    f.caption = lum::CaptionRect{4, 4, 60, 22};
    cases.push_back({"narrower than its buttons", f, std::nullopt});
  }
  {
    OverlayFacts f = Classic();
    f.caption = lum::CaptionRect{4, 4, 496, 3};  // a tool window's caption lies above its top
    cases.push_back({"caption without height", f, std::nullopt});
  }
  {
    OverlayFacts f = Classic();
    f.frame = ScreenRect{0, 0, 0, 0};
    cases.push_back({"empty frame bounds count as missing", f, ScreenRect{104, 54, 540, 72}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<ScreenRect> got = ComputeOverlayRect(c.facts);
    ASSERT_EQ(got.has_value(), c.want.has_value());
    if (got) {
      EXPECT_EQ(got->left, c.want->left);
      EXPECT_EQ(got->top, c.want->top);
      EXPECT_EQ(got->right, c.want->right);
      EXPECT_EQ(got->bottom, c.want->bottom);
    }
  }
}

// Windows 11's rounded corners: 8 px at 96 dpi, scaled. An overlay one pixel inside the visible
// frame loses at its top-left what lies outside the quarter circle, about r * r * (1 - pi / 4)
// pixels, in fewer rows than the radius; one that spans the frame loses the same at its right.
TEST(OverlayCorners, CutWhatLiesOutsideTheRoundedFrame) {
  EXPECT_EQ(RoundedCornerRadius(96), 8);
  EXPECT_EQ(RoundedCornerRadius(120), 10);
  EXPECT_EQ(RoundedCornerRadius(144), 12);
  EXPECT_EQ(RoundedCornerRadius(192), 16);
  EXPECT_EQ(RoundedCornerRadius(0), 8) << "the system's DPI when none is known";
  const ScreenRect frame{100, 50, 900, 650};
  for (unsigned dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    const int r = RoundedCornerRadius(dpi);
    const auto cuts = RoundedCornerCuts({frame.left, frame.top, frame.right, frame.top + 30}, frame, r);
    ASSERT_FALSE(cuts.empty());
    EXPECT_LT(static_cast<int>(cuts.size()), r);
    int left = 0;
    for (size_t row = 0; row < cuts.size(); ++row) {
      EXPECT_EQ(cuts[row].left, cuts[row].right) << "row " << row;
      if (row > 0) {
        EXPECT_LE(cuts[row].left, cuts[row - 1].left) << "row " << row;
      }
      left += cuts[row].left;
    }
    const double area = r * r * (1 - 3.14159265 / 4);
    EXPECT_NEAR(left, area, area * 0.3);
    // One pixel in, up to where the buttons begin: cut at the left only, and less.
    const auto inside = RoundedCornerCuts({frame.left + 1, frame.top + 1, frame.right - 200, frame.top + 30}, frame, r);
    ASSERT_FALSE(inside.empty());
    EXPECT_LT(inside[0].left, cuts[0].left);
    for (const CornerCut& cut : inside) EXPECT_EQ(cut.right, 0);
  }
  // Away from the corners, or square ones: nothing is cut.
  EXPECT_TRUE(RoundedCornerCuts({frame.left + 20, frame.top, frame.right - 20, frame.top + 30}, frame, 8).empty());
  EXPECT_TRUE(RoundedCornerCuts({frame.left, frame.top, frame.right, frame.top + 30}, frame, 0).empty());
}

}  // namespace
