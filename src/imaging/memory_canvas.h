// An off-screen bitmap selected into its own memory DC, kept from one drawing to the next:
// the caption renderer's layers, the overlay's surface and the program's own controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace lum {

class MemoryCanvas {
 public:
  MemoryCanvas() = default;
  ~MemoryCanvas() { Release(); }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  // A bitmap of this size, compatible with `reference`: the one it has if the size matches
  // (false), else a new one with undefined contents (true). dc() is null if that failed.
  bool Fit(HDC reference, int width, int height);
  // The same with a 32-bit top-down DIB section, whose pixels bits() gives.
  bool FitDib(int width, int height);
  void Release();
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  uint32_t* bits() const { return bits_; }
  // The pixels of `area` as 0x00RRGGBB, row by row.
  std::vector<uint32_t> Pixels(const RECT& area) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;  // a DIB section's only
  int width_ = 0, height_ = 0;
};

}  // namespace lum
