#include "imaging/memory_canvas.h"

#include "platform/scoped_win.h"

namespace lum {

bool MemoryCanvas::Fit(HDC reference, int width, int height) {
  if (dc_ && width == width_ && height == height_) return false;
  Release();
  if (width <= 0 || height <= 0) return true;
  bitmap_ = CreateCompatibleBitmap(reference, width, height);
  dc_ = bitmap_ ? CreateCompatibleDC(reference) : nullptr;
  if (!dc_) {
    Release();
    return true;
  }
  previous_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  return true;
}

bool MemoryCanvas::FitDib(int width, int height) {
  if (dc_ && bits_ && width == width_ && height == height_) return false;
  Release();
  if (width <= 0 || height <= 0) return true;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dc_ = bitmap_ && bits ? CreateCompatibleDC(nullptr) : nullptr;
  if (!dc_) {
    Release();
    return true;
  }
  previous_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

void MemoryCanvas::Release() {
  if (dc_) {
    if (previous_) SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

std::vector<uint32_t> MemoryCanvas::Pixels(const RECT& area) const {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (!dc_ || width <= 0 || height <= 0) return {};
  // Copied into a DIB section of their own, which gives the bits without deselecting anything.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  ScopedBitmap section(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDC reader(dc_);
  if (!section || !reader || !bits) return {};
  {
    ScopedSelect selected(reader.get(), section.get());
    BitBlt(reader.get(), 0, 0, width, height, dc_, area.left, area.top, SRCCOPY);
    GdiFlush();
  }
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + width * height);
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

}  // namespace lum
