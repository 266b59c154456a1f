#include "imaging/dc_helpers.h"

#include <algorithm>
#include <cmath>

#include "imaging/paint_effects.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  if (!brush) return;
  ScopedSelect selected(dc, brush.get());
  PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
}

void FillAndFocus(HDC dc, int left, int top, int right, int bottom, int flags, uint32_t colour) {
  const int saved = SaveDC(dc);
  SetMapMode(dc, MM_TEXT);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  const RECT area{left, top, right + 1, bottom + 1};
  if (flags & kFillRectangle) {
    ColourBrush brush = BrushForColour(colour);
    if (brush) FillRect(dc, &area, brush.get());
  }
  if (flags & kFocusRectangle) DrawFocusRect(dc, &area);
  RestoreDC(dc, saved);
}

ScopedFont FontFromDescription(const FontDescription& description, LOGFONTW* logFont, float scale) {
  if (scale == 0) {
    const int dotsPerInch = description.dc ? GetDeviceCaps(description.dc, LOGPIXELSY) : ScreenDpi(LOGPIXELSY);
    scale = dotsPerInch > 0 ? 20.0f / (1440.0f / static_cast<float>(dotsPerInch)) : 1.0f;
  }
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::nearbyint(static_cast<double>(description.size) * scale));
  font.lfWeight = description.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = description.italic ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  const size_t length = std::min(description.faceName.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(description.faceName.begin(), length, font.lfFaceName);
  if (logFont) *logFont = font;
  return ScopedFont(CreateFontIndirectW(&font));
}

ColourBrush BrushForColour(uint32_t colour) {
  if (colour & 0x80000000u) return ColourBrush(GetSysColorBrush(static_cast<int>(colour & 0xFF)), false);
  return ColourBrush(CreateSolidBrush(ResolveColour(colour)), true);
}

int AnsiLength(std::u16string_view text) { return static_cast<int>(ToAnsi(text).size()); }

bool SetViewport(HDC dc, int left, int top, int right, int bottom) {
  const bool origin = SetViewportOrgEx(dc, left, top, nullptr) != 0;
  const bool extent = SetViewportExtEx(dc, right - left, bottom - top, nullptr) != 0;
  return origin && extent;
}

void SetWindow(HDC dc, int left, int top, int right, int bottom) {
  SetWindowOrgEx(dc, left, top, nullptr);
  SetWindowExtEx(dc, right - left, bottom - top, nullptr);
}

}  // namespace lum
