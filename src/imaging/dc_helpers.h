// Small device-context routines of the list box: filling and focus rectangles, fonts from a
// description, brushes for colour values, byte lengths of ANSI text, viewport and window set-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/scoped_win.h"

namespace lum {

// Fills the rectangle with one colour (nothing when the brush can't be made); the DC's own
// brush stays selected afterwards.
void FillSolid(HDC dc, const RECT& area, COLORREF colour);

// Flags of FillAndFocus.
constexpr int kFillRectangle = 1;
constexpr int kFocusRectangle = 2;

// In pixel mapping with the origins reset (the DC's own state is restored afterwards): fills the
// rectangle, right and bottom included, with the colour and no outline, and/or draws a focus
// rectangle over the same pixels.
void FillAndFocus(HDC dc, int left, int top, int right, int bottom, int flags, uint32_t colour);

struct FontDescription {
  HDC dc = nullptr;  // the DC whose resolution turns points into pixels; the screen when null
  std::u16string faceName;
  float size = 9;  // points
  bool bold = false;
  bool italic = false;
};

// A font of height -(size x scale), rounded half to even; scale 0 means points to pixels
// (20 / twips per pixel). The logical-font record used is handed back through `logFont`.
ScopedFont FontFromDescription(const FontDescription& description, LOGFONTW* logFont, float scale);

// A brush for a colour value: a system colour (top bit set) gives the shared system brush, which
// must never be deleted; any other colour a new solid brush, deleted with this owner.
class ColourBrush {
 public:
  ColourBrush() = default;
  ColourBrush(HBRUSH brush, bool owned) : brush_(brush), owned_(owned) {}
  ColourBrush(ColourBrush&& other) noexcept
      : brush_(std::exchange(other.brush_, nullptr)), owned_(std::exchange(other.owned_, false)) {}
  ColourBrush& operator=(ColourBrush&& other) noexcept {
    std::swap(brush_, other.brush_);
    std::swap(owned_, other.owned_);
    return *this;
  }
  ColourBrush(const ColourBrush&) = delete;
  ColourBrush& operator=(const ColourBrush&) = delete;
  ~ColourBrush() {
    if (owned_ && brush_) DeleteObject(brush_);
  }

  HBRUSH get() const { return brush_; }
  bool IsSystemBrush() const { return brush_ && !owned_; }
  explicit operator bool() const { return brush_ != nullptr; }

 private:
  HBRUSH brush_ = nullptr;
  bool owned_ = false;
};

ColourBrush BrushForColour(uint32_t colour);

// The number of bytes the text takes in the ANSI code page (two for most Japanese characters).
int AnsiLength(std::u16string_view text);

// Viewport origin (left, top) and extent (right - left, bottom - top). The extent matters only in
// the isotropic and anisotropic mapping modes, which the caller sets.
bool SetViewport(HDC dc, int left, int top, int right, int bottom);
// Window origin and extent likewise; failures are ignored, as a DC in pixel mapping refuses extents.
void SetWindow(HDC dc, int left, int top, int right, int bottom);

}  // namespace lum
