// The DPI a form lays itself out at: the system's when it opens, its monitor's after the
// system reports a change (a window moved to a monitor of another scale).
#pragma once

#include <windows.h>

#include "platform/shell.h"

namespace lum {

// WM_DPICHANGED (Windows 8.1 and later); the headers declare it only for newer targets.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

class FormDpi {
 public:
  int dpi() const { return dpi_; }
  // Twips as whole pixels at this DPI (15 twips a pixel at 96 DPI, 10 at 144, 7.5 at 192).
  int X(int twips) const { return TwipsToPixels(twips, dpi_); }
  int Y(int twips) const { return TwipsToPixels(twips, dpi_); }
  // What the system's DPI gives as `value` pixels comes out as this many at this DPI: for the
  // fonts and the own controls, which measure in the system's DPI.
  float Scale(float value) const {
    return value * static_cast<float>(dpi_) / static_cast<float>(ScreenDpi(LOGPIXELSY));
  }
  // WM_DPICHANGED: takes the new DPI and moves the window to the rectangle the system suggests.
  void OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) > 0) dpi_ = HIWORD(wParam);
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  int dpi_ = ScreenDpi(LOGPIXELSY);
};

}  // namespace lum
