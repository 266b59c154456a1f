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

}  // namespace
