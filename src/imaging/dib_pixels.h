// The pixel memory of a 24-bit bottom-up device-independent bitmap, and the arithmetic done
// on it without the window system: row sizes, bilinear resampling and noise.
//
// Memory holds `height` rows, the bottom row of the picture first; a row is `width` pixels
// of 3 bytes (blue, green, red) padded with zeros to a multiple of 4 bytes. Picture row r is
// therefore memory row height - 1 - r.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lum {

// Bytes in one row of a 24-bit bitmap `width` pixels wide: 3 x width rounded up to a multiple
// of 4 (a 5-pixel row takes 16 bytes, a 4-pixel row 12). Zero for a width below 1.
int64_t BytesPerScanLine(int64_t width);

// The size of a width x height bitmap's pixel memory, or nothing when a side is below 1 or
// the memory would exceed kMaxDibBytes. Sizes are worked out in 64 bits so they cannot wrap.
inline constexpr uint64_t kMaxDibBytes = 512ull * 1024 * 1024;
std::optional<size_t> DibImageSize(int64_t width, int64_t height);

// A view of a bitmap's pixel memory; usable when `bytes` holds at least DibImageSize bytes.
struct DibPixels {
  std::span<uint8_t> bytes;
  int width = 0;
  int height = 0;

  bool Usable() const;
  size_t Stride() const { return static_cast<size_t>(BytesPerScanLine(width)); }
  uint8_t* Row(int memoryRow) const { return bytes.data() + Stride() * static_cast<size_t>(memoryRow); }
};

// Fills `target` with `source` resampled bilinearly. The steps are (W - 1) / W' across and
// (H - 1) / H' down in single precision; each channel is interpolated down both neighbouring
// columns, then across, each result rounded half to even and limited to 0..255. The neighbour
// index stops at the last column and row, so a source one pixel wide (or high) is resampled by
// its nearest pixel along that axis. Rows are counted in memory order on both sides. Does
// nothing unless both views are usable.
void ResampleBilinear(const DibPixels& source, const DibPixels& target);

// Fills every pixel with noise from a generator seeded with `seed`: with `grey` one value
// round(255 r) (r uniform in [0, 1)) in all three bytes, row by row; otherwise blue 0 and
// independent green and red values, column by column. Row padding is left alone.
void FillNoise(const DibPixels& pixels, bool grey, uint32_t seed);

}  // namespace lum
