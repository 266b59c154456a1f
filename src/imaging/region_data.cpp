#include "imaging/region_data.h"

namespace lum {

std::vector<RegionRect> TransparentRuns(const DibPixels& pixels, uint32_t transparent) {
  std::vector<RegionRect> runs;
  if (!pixels.Usable()) return runs;
  const uint8_t red = transparent & 0xFF, green = (transparent >> 8) & 0xFF, blue = (transparent >> 16) & 0xFF;
  for (int x = 0; x < pixels.width; ++x) {
    int start = -1;
    for (int y = 0; y <= pixels.height; ++y) {
      bool clear = false;
      if (y < pixels.height) {
        const uint8_t* p = pixels.Row(pixels.height - 1 - y) + 3 * static_cast<size_t>(x);
        clear = p[0] == blue && p[1] == green && p[2] == red;
      }
      if (clear && start < 0) start = y;
      if (!clear && start >= 0) {
        runs.push_back({x, start, x + 1, y});
        start = -1;
      }
    }
  }
  return runs;
}

namespace {

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

std::optional<size_t> RegionDataBytes(std::span<const uint8_t> data) {
  if (data.size() < kRegionHeaderBytes || data.size() > kRegionDataLimit) return std::nullopt;
  const uint32_t headerSize = ReadU32(data, 0), type = ReadU32(data, 4);
  const uint32_t count = ReadU32(data, 8), bufferSize = ReadU32(data, 12);
  const size_t room = data.size() - kRegionHeaderBytes;
  if (headerSize != kRegionHeaderBytes || type != 1) return std::nullopt;
  if (count > room / kRegionRectBytes || bufferSize > room) return std::nullopt;
  return kRegionHeaderBytes + kRegionRectBytes * count;
}

}  // namespace lum
