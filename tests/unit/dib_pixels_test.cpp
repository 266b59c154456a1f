#include "imaging/dib_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lum {
namespace {

// Pixel memory of exactly the bitmap's size, so that ASan sees any read past it.
struct Picture {
  std::vector<uint8_t> memory;
  DibPixels view;
  Picture(int width, int height) : memory(*DibImageSize(width, height)) { view = {memory, width, height}; }
  // Sets all three channels of the pixel at memory row `row` (0 is the bottom of the picture).
  void Grey(int x, int row, uint8_t value) {
    uint8_t* p = view.Row(row) + 3 * x;
    p[0] = p[1] = p[2] = value;
  }
  int At(int x, int row, int channel = 0) const { return view.Row(row)[3 * x + channel]; }
};

TEST(DibPixels, ScanLinesArePaddedToFourBytesAndSizesNeverWrap) {
  for (auto [width, bytes] : {std::pair{1, 4}, {4, 12}, {5, 16}, {0, 0}, {-3, 0}})
    EXPECT_EQ(BytesPerScanLine(width), bytes) << width;
  EXPECT_EQ(DibImageSize(5, 2), 32u);
  EXPECT_EQ(DibImageSize(4, 1), 12u);
  // 70000 x 70000 takes 14.7e9 bytes, which wraps 32 bits.
  for (auto [width, height] : {std::pair{0, 4}, {4, -1}, {70000, 70000}, {INT32_MAX, INT32_MAX}})
    EXPECT_EQ(DibImageSize(width, height), std::nullopt) << width << " x " << height;
}

TEST(DibPixels, TwoByTwoBlendsToFourByFourWithHalvesRoundedToEven) {
  // Black at the picture's bottom-left (memory row 0), white elsewhere.
  Picture source(2, 2), target(4, 4);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 2; ++x) source.Grey(x, row, row == 0 && x == 0 ? 0 : 255);
  ResampleBilinear(source.view, target.view);
  const int expected[4][4] = {{0, 64, 128, 191}, {64, 112, 160, 207}, {128, 160, 192, 223}, {191, 207, 223, 239}};
  for (int row = 0; row < 4; ++row)
    for (int x = 0; x < 4; ++x)
      for (int channel = 0; channel < 3; ++channel)
        EXPECT_EQ(target.At(x, row, channel), expected[row][x]) << x << "," << row << "," << channel;

  // 0 below 5: halfway down is 2.5, which goes to the even 2, not 3.
  for (int x = 0; x < 2; ++x) source.Grey(x, 0, 0), source.Grey(x, 1, 5);
  ResampleBilinear(source.view, target.view);
  const int rows[4] = {0, 1, 2, 4};
  for (int row = 0; row < 4; ++row)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.At(x, row), rows[row]) << x << "," << row;
}

TEST(DibPixels, OnePixelAxisIsNearestThereAndBilinearAlongTheOther) {
  const int ramp[5] = {0, 40, 80, 120, 160};
  // A column of 0, 100, 200 upwards, five times wider and a little higher.
  Picture column(1, 3), tall(4, 5);
  for (int row = 0; row < 3; ++row) column.Grey(0, row, static_cast<uint8_t>(100 * row));
  ResampleBilinear(column.view, tall.view);
  for (int row = 0; row < 5; ++row)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(tall.At(x, row), ramp[row]) << x << "," << row;

  // The same ramp lying down.
  Picture line(3, 1), wide(5, 2);
  for (int x = 0; x < 3; ++x) line.Grey(x, 0, static_cast<uint8_t>(100 * x));
  ResampleBilinear(line.view, wide.view);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(wide.At(x, row), ramp[x]) << x << "," << row;
}

}  // namespace
}  // namespace lum
