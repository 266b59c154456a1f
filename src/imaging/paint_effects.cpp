#include "imaging/paint_effects.h"

#include <array>
#include <optional>

#include "platform/scoped_win.h"

namespace lum {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kDestAndNotSource = 0x00220326;  // DSna

// Selects and realises a palette in a DC and selects the previous one back at the end.
class ScopedPalette {
 public:
  ScopedPalette(HDC dc, HPALETTE palette) : dc_(dc), previous_(palette ? SelectPalette(dc, palette, FALSE) : nullptr) {
    if (previous_) RealizePalette(dc);
  }
  ~ScopedPalette() {
    if (previous_) SelectPalette(dc_, previous_, FALSE);
  }
  ScopedPalette(const ScopedPalette&) = delete;
  ScopedPalette& operator=(const ScopedPalette&) = delete;

 private:
  HDC dc_;
  HPALETTE previous_;
};

// A memory DC with its own bitmap selected, both released at the end of the scope.
class WorkSurface {
 public:
  WorkSurface(HDC compatibleWith, HBITMAP bitmap, HPALETTE palette)
      : dc_(compatibleWith), bitmap_(bitmap), select_(dc_.get(), bitmap_.get()), palette_(dc_.get(), palette) {}
  HDC dc() const { return dc_.get(); }
  bool ok() const { return dc_ && bitmap_; }

 private:
  ScopedMemoryDC dc_;
  ScopedBitmap bitmap_;
  ScopedSelect select_;
  ScopedPalette palette_;
};

// A 1-bit top-down DIB section with a two-entry colour table. BITMAPINFO has room for one
// entry only, so the header is declared with both.
struct TwoColourInfo {
  BITMAPINFOHEADER header;
  std::array<RGBQUAD, 2> colours;
};

// The source DC of a picture: a bitmap selected as it is, or an icon drawn at its natural size
// over a fill of the mask colour (so that only the icon's own shape is opaque).
class PictureSource {
 public:
  PictureSource(const PictureView& picture, HDC screen, int width, int height, COLORREF mask, HPALETTE palette,
                int sourceX, int sourceY)
      : dc_(screen), x_(sourceX), y_(sourceY) {
    if (!dc_ || !picture.Drawable()) return;
    if (picture.kind == PictureView::kBitmap) {
      select_.emplace(dc_.get(), picture.handle);
      palette_.emplace(dc_.get(), palette);
    } else {
      bitmap_.reset(CreateCompatibleBitmap(screen, width, height));
      if (!bitmap_) return;
      select_.emplace(dc_.get(), bitmap_.get());
      ScopedBrush fill(CreateSolidBrush(mask));
      RECT all{0, 0, width, height};
      FillRect(dc_.get(), &all, fill.get());
      DrawIconEx(dc_.get(), 0, 0, static_cast<HICON>(picture.handle), 0, 0, 0, nullptr, DI_NORMAL);
      x_ = y_ = 0;
    }
    ok_ = true;
  }
  bool ok() const { return ok_; }
  HDC dc() const { return dc_.get(); }
  int x() const { return x_; }
  int y() const { return y_; }

 private:
  ScopedMemoryDC dc_;
  ScopedBitmap bitmap_;
  std::optional<ScopedSelect> select_;
  std::optional<ScopedPalette> palette_;
  int x_, y_;
  bool ok_ = false;
};

}  // namespace

void MaskOutColour(HDC work, HDC mono, int width, int height, COLORREF key) {
  // Colour to monochrome: pixels of the key colour become set bits, all others clear.
  SetBkColor(work, key);
  BitBlt(mono, 0, 0, width, height, work, 0, 0, SRCCOPY);
  // Destination AND NOT source: the work copy goes black wherever the mask is set.
  SetBkColor(work, kWhite);
  SetTextColor(work, kBlack);
  BitBlt(work, 0, 0, width, height, mono, 0, 0, kDestAndNotSource);
}

COLORREF ResolveColour(uint32_t colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return colour & 0x00FFFFFFu;
}

SIZE PictureView::Size() const {
  SIZE size{0, 0};
  if (!handle) return size;
  if (kind == kBitmap) {
    BITMAP info{};
    if (GetObjectW(handle, sizeof info, &info)) size = {info.bmWidth, info.bmHeight};
  } else if (kind == kIcon) {
    ICONINFO info{};
    if (GetIconInfo(static_cast<HICON>(handle), &info)) {
      BITMAP mask{};
      if (GetObjectW(info.hbmMask, sizeof mask, &mask))
        size = {mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
    }
  }
  return size;
}

PictureView PictureView::Copy() const {
  PictureView copy;
  if (!Drawable()) return copy;
  copy.handle = CopyImage(handle, kind == kIcon ? IMAGE_ICON : IMAGE_BITMAP, 0, 0, 0);
  if (copy.handle) copy.kind = kind;
  return copy;
}

void PictureView::Release() {
  if (handle) {
    if (kind == kIcon)
      DestroyIcon(static_cast<HICON>(handle));
    else
      DeleteObject(handle);
  }
  *this = {};
}

PaintEffects::PaintEffects() {
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  halftone_ = CreateHalftonePalette(screen.get());
}

PaintEffects::~PaintEffects() {
  if (halftone_) DeleteObject(halftone_);
}

int PaintEffects::PaintNormalStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture,
                                    int sourceX, int sourceY, HPALETTE palette) {
  if (!picture.Drawable()) return kInvalidPicture;
  if (picture.kind == PictureView::kIcon) {
    DrawIconEx(dest, x, y, static_cast<HICON>(picture.handle), width, height, 0, nullptr, DI_NORMAL);
    return 0;
  }
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  PictureSource source(picture, screen.get(), width, height, 0, PaletteOr(palette), sourceX, sourceY);
  if (source.ok()) BitBlt(dest, x, y, width, height, source.dc(), source.x(), source.y(), SRCCOPY);
  return 0;
}

namespace {
// The transparent copy itself, on work surfaces compatible with `screen`; the disabled look
// runs it several times with one screen DC.
void TransparentCopy(HDC screen, HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     COLORREF mask, HPALETTE palette) {
  WorkSurface background(screen, CreateCompatibleBitmap(screen, width, height), palette);
  WorkSurface work(screen, CreateCompatibleBitmap(screen, width, height), palette);
  WorkSurface monochrome(screen, CreateBitmap(width, height, 1, 1, nullptr), nullptr);
  if (!background.ok() || !work.ok() || !monochrome.ok()) return;

  BitBlt(background.dc(), 0, 0, width, height, dest, x, y, SRCCOPY);
  // A two-colour source is coloured here as it would be on screen.
  SetBkColor(work.dc(), GetBkColor(source));
  SetTextColor(work.dc(), GetTextColor(source));
  BitBlt(work.dc(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY);

  // Masked pixels of the work copy turn black, opaque places of the background turn black,
  // and the two are ORed together.
  MaskOutColour(work.dc(), monochrome.dc(), width, height, mask);
  SetBkColor(background.dc(), kWhite);
  SetTextColor(background.dc(), kBlack);
  BitBlt(background.dc(), 0, 0, width, height, monochrome.dc(), 0, 0, SRCAND);
  BitBlt(background.dc(), 0, 0, width, height, work.dc(), 0, 0, SRCPAINT);
  BitBlt(dest, x, y, width, height, background.dc(), 0, 0, SRCCOPY);
}
}  // namespace

void PaintEffects::PaintTransparentDC(HDC dest, int x, int y, int width, int height, HDC source, int sourceX,
                                      int sourceY, uint32_t maskColour, HPALETTE palette) {
  if (width <= 0 || height <= 0) return;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  TransparentCopy(screen.get(), dest, x, y, width, height, source, sourceX, sourceY, ResolveColour(maskColour),
                  PaletteOr(palette));
}

void PaintEffects::PaintTransparentStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture,
                                          int sourceX, int sourceY, uint32_t maskColour, HPALETTE palette) {
  if (!picture.Drawable() || width <= 0 || height <= 0) return;
  const COLORREF mask = ResolveColour(maskColour);
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  PictureSource source(picture, screen.get(), width, height, mask, PaletteOr(palette), sourceX, sourceY);
  if (source.ok()) PaintTransparentDC(dest, x, y, width, height, source.dc(), source.x(), source.y(), mask, palette);
}

void PaintEffects::PaintDisabledDC(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                                   uint32_t maskColour, uint32_t highlightColour, uint32_t shadowColour,
                                   HPALETTE palette) {
  if (width <= 0 || height <= 0) return;
  const COLORREF mask = ResolveColour(maskColour);
  const COLORREF highlight = ResolveColour(highlightColour);
  const COLORREF shadow = ResolveColour(shadowColour);
  palette = PaletteOr(palette);
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);

  // The source in two levels: dark pixels black, light and masked pixels white.
  TwoColourInfo info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = -height;
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colours[0] = {0, 0, 0, 0};
  info.colours[1] = {255, 255, 255, 0};
  void* bits = nullptr;
  WorkSurface twoLevel(
      screen.get(),
      CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  if (!twoLevel.ok()) return;
  if (mask == kWhite) {
    BitBlt(twoLevel.dc(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY);
  } else {
    WorkSurface white(screen.get(), CreateCompatibleBitmap(screen.get(), width, height), palette);
    if (!white.ok()) return;
    PatBlt(white.dc(), 0, 0, width, height, WHITENESS);
    TransparentCopy(screen.get(), white.dc(), 0, 0, width, height, source, sourceX, sourceY, mask, palette);
    BitBlt(twoLevel.dc(), 0, 0, width, height, white.dc(), 0, 0, SRCCOPY);
  }

  WorkSurface work(screen.get(), CreateCompatibleBitmap(screen.get(), width, height), palette);
  if (!work.ok()) return;
  BitBlt(work.dc(), 0, 0, width, height, dest, x, y, SRCCOPY);

  // A key colour that neither drawing colour uses, made transparent below.
  COLORREF key = kBlack;
  for (COLORREF candidate : {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255)}) {
    if (candidate != highlight && candidate != shadow) {
      key = candidate;
      break;
    }
  }

  // With the colour table swapped the dark pixels show white, and become the 1 bits.
  const RGBQUAD swapped[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
  SetDIBColorTable(twoLevel.dc(), 0, 2, swapped);
  WorkSurface ones(screen.get(), CreateBitmap(width, height, 1, 1, nullptr), nullptr);
  if (!ones.ok()) return;
  SetBkColor(twoLevel.dc(), kWhite);
  BitBlt(ones.dc(), 0, 0, width, height, twoLevel.dc(), 0, 0, SRCCOPY);

  SetTextColor(ones.dc(), key);
  SetBkColor(ones.dc(), highlight);
  TransparentCopy(screen.get(), work.dc(), 1, 1, width, height, ones.dc(), 0, 0, key, palette);
  SetBkColor(ones.dc(), shadow);
  TransparentCopy(screen.get(), work.dc(), 0, 0, width, height, ones.dc(), 0, 0, key, palette);

  BitBlt(dest, x, y, width, height, work.dc(), 0, 0, SRCCOPY);
}

void PaintEffects::PaintDisabledStdPic(HDC dest, int x, int y, int width, int height, const PictureView& picture,
                                       int sourceX, int sourceY, uint32_t maskColour, uint32_t highlightColour,
                                       uint32_t shadowColour, HPALETTE palette) {
  if (!picture.Drawable() || width <= 0 || height <= 0) return;
  const COLORREF mask = ResolveColour(maskColour);
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  PictureSource source(picture, screen.get(), width, height, mask, PaletteOr(palette), sourceX, sourceY);
  if (source.ok())
    PaintDisabledDC(dest, x, y, width, height, source.dc(), source.x(), source.y(), mask, highlightColour, shadowColour,
                    palette);
}

}  // namespace lum
