// Picture objects over raw GDI handles and the conversions between their kinds, as the list box
// draws them. A picture is a system picture object (IPicture) that owns its handle: the handle
// is destroyed with the last reference.
#pragma once

#include <ocidl.h>
#include <windows.h>

#include <cstdint>
#include <utility>

namespace lum {

// The values of the system's picture description.
enum class PictureKind : int16_t { kNone = 0, kBitmap = 1, kMetafile = 2, kIcon = 3, kEnhancedMetafile = 4 };

// One counted reference to a picture object; copies share the object.
class Picture {
 public:
  Picture() = default;
  explicit Picture(IPicture* adopted) : picture_(adopted) {}  // takes over the caller's reference
  Picture(const Picture& other) : picture_(other.picture_) {
    if (picture_) picture_->AddRef();
  }
  Picture(Picture&& other) noexcept : picture_(other.picture_) { other.picture_ = nullptr; }
  Picture& operator=(Picture other) noexcept {
    std::swap(picture_, other.picture_);
    return *this;
  }
  ~Picture() {
    if (picture_) picture_->Release();
  }

  IPicture* get() const { return picture_; }
  explicit operator bool() const { return picture_ != nullptr; }

  PictureKind Kind() const;
  HANDLE Handle() const;  // still owned by the picture
  // The natural size in pixels of the screen (the picture keeps it in HIMETRIC); 0 x 0 if empty.
  SIZE SizeInPixels() const;

 private:
  IPicture* picture_ = nullptr;
};

// Wraps the handle into a picture that owns it. Kind 0 (or one outside 1..4) is detected from the
// handle; a null handle or one of another object type gives an empty picture and the handle stays
// with the caller. A bitmap carries the palette; a metafile its width and height in HIMETRIC.
Picture HandleToPicture(HANDLE handle, int kind = 0, HPALETTE palette = nullptr, int metafileWidth = 0,
                        int metafileHeight = 0);

// The same picture when it is empty or already of the target kind; otherwise a new picture of
// the target kind (bitmap, icon or enhanced metafile) drawn on the background colour. Colours
// with the top bit set are system colours. A metafile target gives an empty picture.
Picture ConvertPicture(const Picture& picture, PictureKind target, uint32_t background);

// Draws the picture into the rectangle, stretched: a bitmap by StretchBlt, metafiles by playing
// them, an icon by DrawIconEx.
void DrawPicture(HDC dc, const Picture& picture, const RECT& into);

// Draws the picture stretched into the rectangle with every pixel of the mask colour left
// transparent: the list box's picture painter. The picture is first made a bitmap on white.
void DrawPictureTransparent(HDC dc, const Picture& picture, const RECT& into, COLORREF maskColour = RGB(255, 255, 255));

}  // namespace lum
