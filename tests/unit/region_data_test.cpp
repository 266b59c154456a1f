#include "imaging/region_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace lum {
namespace {

constexpr uint32_t kClear = 0x00302010;    // red 0x10, green 0x20, blue 0x30
constexpr uint32_t kSwapped = 0x00102030;  // red and blue the other way round: opaque

// A picture drawn top row first; '.' is the transparent colour, 's' the swapped one, anything
// else white. Row padding is filled with the transparent colour's bytes, which must not count.
struct Drawn {
  std::vector<uint8_t> memory;
  DibPixels view;
  explicit Drawn(std::vector<std::string> rows) {
    const int width = static_cast<int>(rows[0].size()), height = static_cast<int>(rows.size());
    memory.resize(*DibImageSize(width, height));
    view = {memory, width, height};
    for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(kClear >> (8 * (2 - i % 3)));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t colour = rows[y][x] == '.' ? kClear : rows[y][x] == 's' ? kSwapped : 0xFFFFFF;
        uint8_t* p = view.Row(height - 1 - y) + 3 * x;
        p[0] = static_cast<uint8_t>(colour >> 16), p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour);
      }
    }
  }
};

TEST(TransparentRuns, ColumnRunsFromTheTopOfThePictureWithinItsWidth) {
  struct Case {
    std::vector<std::string> picture;
    std::vector<RegionRect> runs;
  };
  const Case cases[] = {
      // Top and bottom differ, so reading memory rows as picture rows gives other strips; the
      // width of 3 leaves three padding bytes per row, a fourth column that must not be read.
      {{"..#", ".##", "##s", "#.."}, {{0, 0, 1, 2}, {1, 0, 2, 1}, {1, 3, 2, 4}, {2, 3, 3, 4}}},
      {{".###", ".###", ".###", ".###"}, {{0, 0, 1, 4}}},
      {{"###", "#.#", "###"}, {{1, 1, 2, 2}}},
      {{"#s#s", "s#s#"}, {}},
      {{"...", "..."}, {{0, 0, 1, 2}, {1, 0, 2, 2}, {2, 0, 3, 2}}},
  };
  for (const Case& c : cases) {
    Drawn drawn(c.picture);
    EXPECT_EQ(TransparentRuns(drawn.view, kClear), c.runs) << c.picture[0];
  }
}

std::vector<uint8_t> Block(std::vector<uint32_t> fields) {
  std::vector<uint8_t> bytes(fields.size() * 4);
  std::memcpy(bytes.data(), fields.data(), bytes.size());
  return bytes;
}

TEST(RegionDataBytes, AcceptsOnlyBlocksWhoseHeaderFitsTheirBytes) {
  const std::vector<uint32_t> header = {32, 1, 2, 32, 0, 0, 4, 4};
  const std::vector<uint32_t> rects = {0, 0, 4, 2, 1, 2, 3, 4};
  auto with = [&](size_t field, uint32_t value, std::vector<uint32_t> tail) {
    std::vector<uint32_t> fields = header;
    fields[field] = value;
    fields.insert(fields.end(), tail.begin(), tail.end());
    return Block(fields);
  };
  struct Case {
    std::vector<uint8_t> data;
    std::optional<size_t> bytes;
  };
  const std::vector<uint8_t> shortHeader = Block(header);
  std::vector<uint8_t> huge(kRegionDataLimit + 1);
  std::memcpy(huge.data(), Block(header).data(), 32);
  const Case cases[] = {
      {with(0, 32, rects), 64},
      {with(0, 32, {0, 0, 4, 2, 1, 2, 3, 4, 9, 9}), 64},  // trailing bytes are not handed on
      {with(3, 0, rects), 64},                            // no buffer size given
      {Block({32, 1, 0, 0, 0, 0, 0, 0}), 32},             // the empty region
      {with(2, 0, {}), std::nullopt},                     // a buffer size past the end
      {with(2, 1, {0, 0, 4}), std::nullopt},              // a rectangle cut short
      {std::vector<uint8_t>(shortHeader.begin(), shortHeader.begin() + 31), std::nullopt},
      {with(0, 40, rects), std::nullopt},
      {with(1, 2, rects), std::nullopt},
      {with(2, 3, rects), std::nullopt},
      {with(2, 0x10000001, rects), std::nullopt},  // 16 x count wraps 32 bits to 16
      {with(3, 33, rects), std::nullopt},
      {huge, std::nullopt},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(RegionDataBytes(cases[i].data), cases[i].bytes) << i;
}

}  // namespace
}  // namespace lum
