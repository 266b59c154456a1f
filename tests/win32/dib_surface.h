// A drawing surface for GDI tests: a 32-bit top-down DIB section selected into a memory DC.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/scoped_win.h"

namespace lumtest {

// A 32-bit top-down DIB section in a memory DC, filled with one colour: the composition
// surface. Pixels are read back with GetDIBits.
class Surface {
 public:
  Surface(int width, int height, uint32_t fill) : width_(width), height_(height), dc_(nullptr /* the screen's */) {
    BITMAPINFO info = Info();
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bits) std::fill_n(static_cast<uint32_t*>(bits), width * height, fill);
    previous_ = SelectObject(dc_.get(), bitmap_.get());
  }
  ~Surface() { SelectObject(dc_.get(), previous_); }
  HDC dc() const { return dc_.get(); }

  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> pixels(static_cast<size_t>(width_) * height_);
    BITMAPINFO info = Info();
    SelectObject(dc_.get(), previous_);  // GetDIBits wants the bitmap deselected
    EXPECT_EQ(GetDIBits(dc_.get(), bitmap_.get(), 0, height_, pixels.data(), &info, DIB_RGB_COLORS), height_);
    SelectObject(dc_.get(), bitmap_.get());
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    return pixels;
  }
  // 0x00RRGGBB at (x, y), read through the DC.
  uint32_t At(int x, int y) const {
    const COLORREF c = GetPixel(dc_.get(), x, y);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }

 private:
  BITMAPINFO Info() const {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
  }
  int width_, height_;
  lum::ScopedMemoryDC dc_;
  lum::ScopedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace lumtest
