// Helpers of the DPI-change tests: a WM_DPICHANGED with the rectangle the system would suggest,
// and where each control stands against its twips.
#pragma once

#include <windows.h>

#include <vector>

namespace lumtest {

struct TwipsPlace {
  const char* name;
  HWND control;
  int left, top, width, height;  // twips, in the container's client area
  bool growsToText = false;       // a label that may widen past `width` to hold its text
  bool growsDown = false;         // a label that may grow past `height` to show its lines whole
};

// Twips as pixels at `dpi`: the exact product, its fraction cut off.
inline int At(int twips, int dpi) { return static_cast<int>(static_cast<long long>(twips) * dpi / 1440); }

// Whether a label's text fits its width in the label's own font.
bool TextFits(HWND label);
// Whether a label's text, wrapped at its width, fits its height.
bool LinesFit(HWND label);

// The control's rectangle in its container's client coordinates.
RECT ChildPlace(HWND control);
// The height of the font the control uses (WM_GETFONT), in pixels.
int FontHeight(HWND control);
// Sends WM_DPICHANGED for `dpi` with a window rectangle whose client area is the given twips.
void SendDpiChange(HWND window, int dpi, int clientWidthTwips, int clientHeightTwips);
// Every control at its twips for `dpi`, inside its container's client area.
void ExpectPlaces(const std::vector<TwipsPlace>& places, int dpi);

}  // namespace lumtest
