// PaintEffects: draws a picture normally, with one colour transparent, or in the "disabled"
// look (an embossed two-tone silhouette). Each drawing exists for a source DC and for a picture
// (a bitmap or an icon). Every temporary object is released before a drawing returns.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lum {

// A colour as the controls store it: 0x00BBGGRR, or 0x80000000 + n for system colour n.
COLORREF ResolveColour(uint32_t colour);

// The first step of drawing with one colour transparent: `mono` (a 1-bit bitmap's DC) becomes
// the mask of the `key`-coloured pixels of `work`, and those pixels of `work` turn black, so
// that `work` can be ORed over a destination cleared through the mask.
void MaskOutColour(HDC work, HDC mono, int width, int height, COLORREF key);

// A picture that is drawn, not owned: its kind (the values of the OLE picture description)
// and its handle.
struct PictureView {
  enum Kind : int32_t { kNone = 0, kBitmap = 1, kMetafile = 2, kIcon = 3, kEnhMetafile = 4 };
  int32_t kind = kNone;
  HANDLE handle = nullptr;

  bool Drawable() const { return handle && (kind == kBitmap || kind == kIcon); }
  // The picture's own size in pixels; 0 × 0 for an empty picture.
  SIZE Size() const;
  // A copy of a drawable picture for a control to own; empty for anything else.
  PictureView Copy() const;
  // Deletes an owned picture's handle and leaves it empty.
  void Release();
};

class PaintEffects {
 public:
  static constexpr int kInvalidPicture = 481;

  PaintEffects();
  ~PaintEffects();
  PaintEffects(const PaintEffects&) = delete;
  PaintEffects& operator=(const PaintEffects&) = delete;

  // 0, or kInvalidPicture for an empty picture or one that is neither a bitmap nor an icon.
  int PaintNormalStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture, int sourceX,
                        int sourceY, HPALETTE palette = nullptr);

  // Leaves the destination as it was wherever the source pixel is the mask colour.
  void PaintTransparentDC(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                          uint32_t maskColour, HPALETTE palette = nullptr);
  void PaintTransparentStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture,
                              int sourceX, int sourceY, uint32_t maskColour, HPALETTE palette = nullptr);

  // Dark, non-masked source pixels become a highlight copy one pixel right and down under a
  // shadow copy in place; light and masked pixels leave the destination visible.
  void PaintDisabledDC(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       uint32_t maskColour, uint32_t highlightColour, uint32_t shadowColour,
                       HPALETTE palette = nullptr);
  void PaintDisabledStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture, int sourceX,
                           int sourceY, uint32_t maskColour, uint32_t highlightColour, uint32_t shadowColour,
                           HPALETTE palette = nullptr);

 private:
  HPALETTE PaletteOr(HPALETTE palette) const { return palette ? palette : halftone_; }

  HPALETTE halftone_ = nullptr;
};

}  // namespace lum
