// The off-screen drawing of one of the program's own controls: a memory DC holding a bitmap
// compatible with the control's window. The control draws here on every change and copies to the
// window, so what it drew persists between repaints. Like a DC handle it converts to HDC.
#pragma once

#include <windows.h>

#include <algorithm>

#include "imaging/memory_canvas.h"
#include "platform/scoped_win.h"

namespace lum {

class OffscreenSurface {
 public:
  // Keeps the surface when it already has this size (at least 1 x 1), or makes a new one.
  // False, with no surface, when the system could not make it.
  bool Ensure(HWND window, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (canvas_.dc() && width == canvas_.width() && height == canvas_.height()) return true;
    ScopedWindowDC windowDC(window, ScopedWindowDC::kClient);
    canvas_.Fit(windowDC.get(), width, height);
    return canvas_.dc() != nullptr;
  }
  void Release() { canvas_.Release(); }
  // Copies `area` of the surface to the same place of the window's client area.
  void CopyTo(HWND window, const RECT& area) const {
    ScopedWindowDC windowDC(window, ScopedWindowDC::kClient);
    if (windowDC && canvas_.dc())
      BitBlt(windowDC.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, canvas_.dc(),
             area.left, area.top, SRCCOPY);
  }

  operator HDC() const { return canvas_.dc(); }
  SIZE Size() const { return {canvas_.width(), canvas_.height()}; }

 private:
  MemoryCanvas canvas_;
};

}  // namespace lum
