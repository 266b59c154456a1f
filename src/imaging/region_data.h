// Window regions shaped by a picture, as far as they need no window system: the transparent
// runs of a 24-bit bitmap, and the checks that make region data from files and resources
// safe to hand to the system.
//
// Region data is the system's region-data block byte for byte: a 32-byte header (header size
// 32, type 1 = rectangles, rectangle count, rectangle-buffer size, bounding rectangle) and then
// the rectangles, 16 bytes each (left, top, right, bottom; signed 32-bit little-endian).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "imaging/dib_pixels.h"

namespace lum {

// A rectangle in picture coordinates (row 0 at the top), right and bottom exclusive.
struct RegionRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RegionRect&) const = default;
};

// The runs of pixels of colour `transparent` (0x00BBGGRR) in each column, as one-pixel-wide
// rectangles: columns from the left, each from the top of the picture down. Only the bitmap's
// own columns are scanned, never the row padding past them.
std::vector<RegionRect> TransparentRuns(const DibPixels& pixels, uint32_t transparent);

inline constexpr size_t kRegionHeaderBytes = 32;
inline constexpr size_t kRegionRectBytes = 16;
// Far more rectangles than any window shape needs; larger blocks are refused unread.
inline constexpr size_t kRegionDataLimit = kRegionHeaderBytes + kRegionRectBytes * (1u << 20);

// The number of leading bytes of `data` that form a sound region-data block (the header and
// the rectangles it counts), or nothing when `data` is not one: shorter than the header or
// longer than kRegionDataLimit, a header size other than 32 or a type other than 1, more
// rectangles than the bytes hold, or a rectangle-buffer size larger than the bytes after the
// header (0 is accepted, as some writers leave it so).
std::optional<size_t> RegionDataBytes(std::span<const uint8_t> data);

}  // namespace lum
