// The push button's arithmetic: gradient bands, picture and caption places, focus rectangle.
#include "controls/button_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lum {
namespace {

int Channel(uint32_t colour, int c) { return static_cast<int>((colour >> (8 * c)) & 0xFF); }

TEST(ButtonGradient, A25PixelFaceGetsOnePixelBandsEachCloserToTheEnd) {
  const uint32_t start = 7031098, end = 16370594;  // RGB 58,73,107 to 162,203,249
  const auto bands = GradientBands(80, 25, 1, start, end);
  ASSERT_EQ(bands.size(), 25u);
  EXPECT_EQ(bands.front(), (ColourBand{0, 1, start}));
  for (size_t i = 0; i < bands.size(); ++i) {
    EXPECT_EQ(bands[i].offset, static_cast<int32_t>(i));
    EXPECT_EQ(bands[i].size, 1);
    for (int c = 0; c < 3; ++c) {
      // Step i is i/25 of the way from start to end.
      const double expected = Channel(start, c) + (Channel(end, c) - Channel(start, c)) * (i / 25.0);
      EXPECT_NEAR(Channel(bands[i].colour, c), expected, 1.0) << "band " << i << " channel " << c;
    }
  }
  // Bands that run downwards from a lighter colour decrease.
  const auto down = GradientBands(80, 25, 1, end, start);
  EXPECT_GT(Channel(down[1].colour, 0), Channel(down[24].colour, 0));
}

TEST(ButtonGradient, BandSizeExtentAndPlainFaces) {
  struct Case {
    int width, height, gradation;
    size_t bands;
    int32_t size, lastOffset, lastSize;
  };
  const Case cases[] = {
      {200, 96, 1, 48, 2, 94, 2},    // 96/64 = 1.5 rounds to 2
      {200, 160, 3, 80, 2, 158, 2},  // 2.5 rounds to 2 (half to even); gradation 3 runs downwards like 1
      {130, 25, 2, 65, 2, 128, 2},   // left to right: the width is the extent
      {97, 25, 2, 49, 2, 96, 1},     // the last band stops at the far edge
      {200, 224, 1, 56, 4, 220, 4},  // 3.5 rounds to 4
  };
  for (const Case& c : cases) {
    const auto bands = GradientBands(c.width, c.height, c.gradation, 0, 0xFFFFFF);
    ASSERT_EQ(bands.size(), c.bands) << c.width << "x" << c.height;
    EXPECT_EQ(bands.front().size, c.size);
    EXPECT_EQ(bands.back().offset, c.lastOffset);
    EXPECT_EQ(bands.back().size, c.lastSize);
  }
  EXPECT_TRUE(GradientBands(100, 25, 0, 0, 0xFFFFFF).empty());  // plain: the back colour stays
  EXPECT_TRUE(GradientBands(0, 0, 1, 0, 0xFFFFFF).empty());      // nothing to fill, nothing divided by 0
  EXPECT_TRUE(GradientBands(-5, -5, 2, 0, 0xFFFFFF).empty());
}

TEST(ButtonLayout, PictureAndCaptionPlaces) {
  const PixelRect client{0, 0, 100, 41};
  struct Case {
    int32_t shape, place;
    bool tile;
    int32_t x, y;
    PixelRect text;
  };
  const ButtonLayout previous{7, 8, {1, 2, 3, 4}};
  const Case cases[] = {
      {1, kPictureLeft, false, 16, 12, {20, 4, 96, 37}},  // (41 - 16) / 2 = 12.5 rounds to 12
      {0, kPictureLeft, false, 16, 12, {16, 0, 100, 41}},
      {1, kPictureRight, false, 68, 12, {4, 4, 84, 37}},
      {1, kPictureTop, false, 42, 12, {4, 28, 96, 37}},
      {2, kPictureBottom, false, 42, 13, {0, 0, 100, 13}},
      {1, kPictureLeft, true, 7, 8, {4, 4, 96, 37}},  // tiled: the picture has no place of its own
      {1, 9, false, 7, 8, {1, 2, 3, 4}},              // an unknown place changes nothing
  };
  for (const Case& c : cases) {
    const ButtonLayout layout = LayoutButton(client, client, c.shape, c.place, c.tile, 16, 16, previous);
    EXPECT_EQ(layout.pictureX, c.x) << "shape " << c.shape << " place " << c.place;
    EXPECT_EQ(layout.pictureY, c.y) << "shape " << c.shape << " place " << c.place;
    EXPECT_EQ(layout.text, c.text) << "shape " << c.shape << " place " << c.place;
  }
}

TEST(ButtonLayout, CaptionRectanglesFocusAndSmallButtons) {
  const CaptionRects up = ButtonCaptionRects({4, 4, 96, 37}, false);
  EXPECT_EQ(up.main, (PixelRect{10, 10, 90, 31}));
  EXPECT_EQ(up.shadow, (PixelRect{11, 11, 91, 32}));
  const CaptionRects down = ButtonCaptionRects({4, 4, 96, 37}, true);
  EXPECT_EQ(down.main, up.main.Offset(2, 2));
  EXPECT_EQ(down.shadow, up.shadow.Offset(2, 2));
  // Margins only where the rectangle reaches 6 (main) or 7 (shadow) pixels.
  EXPECT_EQ(ButtonCaptionRects({0, 0, 5, 5}, false).main, (PixelRect{0, 0, 5, 5}));
  EXPECT_EQ(ButtonCaptionRects({0, 0, 6, 6}, false).main, (PixelRect{6, 6, 0, 0}));
  EXPECT_EQ(ButtonCaptionRects({0, 0, 6, 6}, false).shadow, (PixelRect{0, 0, 1, 1}));

  EXPECT_EQ(ButtonFocusRect({0, 0, 50, 20}, 1), (PixelRect{1, 1, 49, 19}));
  EXPECT_EQ(ButtonFocusRect({0, 0, 50, 20}, 2), (PixelRect{1, 1, 49, 19}));
  EXPECT_EQ(ButtonFocusRect({0, 0, 50, 20}, 0), (PixelRect{3, 3, 47, 17}));
}

}  // namespace
}  // namespace lum
