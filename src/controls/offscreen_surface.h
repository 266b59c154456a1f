// The off-screen drawing of one of the program's own controls: a memory DC holding a bitmap
// compatible with the control's window. The control draws here on every change and copies to the
// window, so what it drew persists between repaints. Like a DC handle it converts to HDC.
#pragma once

#include <windows.h>

#include <algorithm>

namespace lum {

class OffscreenSurface {
 public:
  OffscreenSurface() = default;
  ~OffscreenSurface() { Release(); }
  OffscreenSurface(const OffscreenSurface&) = delete;
  OffscreenSurface& operator=(const OffscreenSurface&) = delete;

  // Keeps the surface when it already has this size (at least 1 x 1), or makes a new one.
  // False, with no surface, when the system could not make it.
  bool Ensure(HWND window, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (dc_ && width == size_.cx && height == size_.cy) return true;
    Release();
    HDC windowDC = GetDC(window);
    dc_ = CreateCompatibleDC(windowDC);
    bitmap_ = CreateCompatibleBitmap(windowDC, width, height);
    ReleaseDC(window, windowDC);
    if (!dc_ || !bitmap_) {
      Release();
      return false;
    }
    original_ = SelectObject(dc_, bitmap_);
    size_ = {width, height};
    return true;
  }

  void Release() {
    if (dc_ && original_) SelectObject(dc_, original_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    original_ = nullptr;
    size_ = {0, 0};
  }

  operator HDC() const { return dc_; }
  SIZE Size() const { return size_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  SIZE size_{0, 0};
};

}  // namespace lum
