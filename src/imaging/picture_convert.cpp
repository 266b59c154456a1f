#include "imaging/picture_convert.h"

#include <commctrl.h>
#include <olectl.h>

#include "imaging/dc_helpers.h"
#include "imaging/paint_effects.h"
#include "platform/scoped_win.h"

namespace lum {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Kind 0 of the picture description is "detect". GetObjectType knows no icons (they are not GDI
// objects), so a handle it does not know is an icon only if the system can read it as one.
int DetectKind(HANDLE handle) {
  switch (GetObjectType(handle)) {
    case 0: {
      ICONINFO info{};
      if (!GetIconInfo(static_cast<HICON>(handle), &info)) return 0;
      if (info.hbmMask) DeleteObject(info.hbmMask);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      return static_cast<int>(PictureKind::kIcon);
    }
    case OBJ_BITMAP:
      return static_cast<int>(PictureKind::kBitmap);
    case OBJ_METAFILE:
      return static_cast<int>(PictureKind::kMetafile);
    case OBJ_ENHMETAFILE:
      return static_cast<int>(PictureKind::kEnhancedMetafile);
    default:
      return 0;
  }
}

// A picture object hands its handle out as 32 bits; 64-bit handles are sign-extended 32-bit values.
HANDLE FromOleHandle(OLE_HANDLE handle) {
  return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<int32_t>(handle)));
}

SIZE HimetricSize(IPicture* picture) {
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height))) return {0, 0};
  SHORT type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  // Some picture objects report no size for an enhanced metafile; its header's frame holds it.
  if ((width <= 0 || height <= 0) && SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_ENHMETAFILE &&
      SUCCEEDED(picture->get_Handle(&handle))) {
    ENHMETAHEADER header{};
    if (GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(FromOleHandle(handle)), sizeof header, &header)) {
      width = header.rclFrame.right - header.rclFrame.left;
      height = header.rclFrame.bottom - header.rclFrame.top;
    }
  }
  return {width, height};
}

// The picture drawn at its natural size on the background, as a new screen-compatible bitmap.
HBITMAP RenderBitmap(const Picture& picture, COLORREF background) {
  const SIZE size = picture.SizeInPixels();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  ScopedMemoryDC dc(screen.get());
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
  ScopedBrush brush(CreateSolidBrush(background));
  if (!dc || !bitmap || !brush) return nullptr;
  {
    ScopedSelect selected(dc.get(), bitmap.get());
    const RECT all{0, 0, size.cx, size.cy};
    FillRect(dc.get(), &all, brush.get());
    DrawPicture(dc.get(), picture, all);
  }
  return bitmap.release();
}

Picture ToBitmap(const Picture& picture, COLORREF background) {
  ScopedBitmap bitmap(RenderBitmap(picture, background));
  Picture result = HandleToPicture(bitmap.get(), static_cast<int>(PictureKind::kBitmap));
  if (result) bitmap.release();
  return result;
}

// Pixels of the background colour become the icon's transparent part.
Picture ToIcon(const Picture& picture, COLORREF background) {
  ScopedBitmap bitmap(RenderBitmap(picture, background));
  if (!bitmap) return {};
  const SIZE size = picture.SizeInPixels();
  HIMAGELIST list = ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (!list) return {};
  HICON icon = nullptr;
  if (ImageList_AddMasked(list, bitmap.get(), background) == 0) icon = ImageList_GetIcon(list, 0, ILD_NORMAL);
  ImageList_Destroy(list);
  Picture result = HandleToPicture(icon, static_cast<int>(PictureKind::kIcon));
  if (!result && icon) DestroyIcon(icon);
  return result;
}

Picture ToEnhancedMetafile(const Picture& picture) {
  const SIZE size = picture.SizeInPixels();
  const SIZE himetric = HimetricSize(picture.get());
  if (size.cx <= 0 || size.cy <= 0) return {};
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  const RECT frame{0, 0, himetric.cx, himetric.cy};
  HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  if (!recorder) return {};
  DrawPicture(recorder, picture, RECT{0, 0, size.cx, size.cy});
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  Picture result = HandleToPicture(metafile, static_cast<int>(PictureKind::kEnhancedMetafile));
  if (!result && metafile) DeleteEnhMetaFile(metafile);
  return result;
}

}  // namespace

PictureKind Picture::Kind() const {
  SHORT type = PICTYPE_NONE;
  if (!picture_ || FAILED(picture_->get_Type(&type)) || type < 1 || type > 4) return PictureKind::kNone;
  return static_cast<PictureKind>(type);
}

HANDLE Picture::Handle() const {
  OLE_HANDLE handle = 0;
  if (!picture_ || FAILED(picture_->get_Handle(&handle))) return nullptr;
  return FromOleHandle(handle);
}

SIZE Picture::SizeInPixels() const {
  if (!picture_) return {0, 0};
  const SIZE himetric = HimetricSize(picture_);
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  return {MulDiv(himetric.cx, GetDeviceCaps(screen.get(), LOGPIXELSX), 2540),
          MulDiv(himetric.cy, GetDeviceCaps(screen.get(), LOGPIXELSY), 2540)};
}

Picture HandleToPicture(HANDLE handle, int kind, HPALETTE palette, int metafileWidth, int metafileHeight) {
  if (!handle) return {};
  if (kind < 1 || kind > 4) kind = DetectKind(handle);
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = static_cast<UINT>(kind);
  switch (static_cast<PictureKind>(kind)) {
    case PictureKind::kBitmap:
      description.bmp.hbitmap = static_cast<HBITMAP>(handle);
      description.bmp.hpal = palette;
      break;
    case PictureKind::kMetafile:
      description.wmf.hmeta = static_cast<HMETAFILE>(handle);
      description.wmf.xExt = metafileWidth;
      description.wmf.yExt = metafileHeight;
      break;
    case PictureKind::kIcon:
      description.icon.hicon = static_cast<HICON>(handle);
      break;
    case PictureKind::kEnhancedMetafile:
      description.emf.hemf = static_cast<HENHMETAFILE>(handle);
      break;
    default:
      return {};
  }
  IPicture* picture = nullptr;
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPicture, TRUE, reinterpret_cast<void**>(&picture)))) return {};
  return Picture(picture);
}

Picture ConvertPicture(const Picture& picture, PictureKind target, uint32_t background) {
  const PictureKind kind = picture.Kind();
  if (kind == PictureKind::kNone || kind == target) return picture;
  switch (target) {
    case PictureKind::kBitmap:
      return ToBitmap(picture, ResolveColour(background));
    case PictureKind::kIcon:
      return ToIcon(picture, ResolveColour(background));
    case PictureKind::kEnhancedMetafile:
      return ToEnhancedMetafile(picture);
    default:
      return {};
  }
}

void DrawPicture(HDC dc, const Picture& picture, const RECT& into) {
  const int width = into.right - into.left, height = into.bottom - into.top;
  HANDLE handle = picture.Handle();
  if (!handle || width <= 0 || height <= 0) return;
  switch (picture.Kind()) {
    case PictureKind::kBitmap: {
      BITMAP bits{};
      if (!GetObjectW(handle, sizeof bits, &bits)) return;
      ScopedMemoryDC source(nullptr);
      ScopedSelect selected(source.get(), handle);
      const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, into.left, into.top, width, height, source.get(), 0, 0, bits.bmWidth, bits.bmHeight, SRCCOPY);
      SetStretchBltMode(dc, oldMode);
      break;
    }
    case PictureKind::kMetafile: {
      // The metafile sets its own window; the viewport maps it onto the rectangle.
      const int saved = SaveDC(dc);
      SetMapMode(dc, MM_ANISOTROPIC);
      SetViewport(dc, into.left, into.top, into.right, into.bottom);
      PlayMetaFile(dc, static_cast<HMETAFILE>(handle));
      RestoreDC(dc, saved);
      break;
    }
    case PictureKind::kEnhancedMetafile:
      PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(handle), &into);
      break;
    case PictureKind::kIcon:
      DrawIconEx(dc, into.left, into.top, static_cast<HICON>(handle), width, height, 0, nullptr, DI_NORMAL);
      break;
    default:
      break;
  }
}

void DrawPictureTransparent(HDC dc, const Picture& picture, const RECT& into, COLORREF maskColour) {
  const int width = into.right - into.left, height = into.bottom - into.top;
  if (width <= 0 || height <= 0) return;
  const Picture bitmap = ConvertPicture(picture, PictureKind::kBitmap, kWhite);
  if (!bitmap) return;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  ScopedMemoryDC work(screen.get());
  ScopedMemoryDC mask(screen.get());
  ScopedBitmap workBitmap(CreateCompatibleBitmap(screen.get(), width, height));
  ScopedBitmap maskBitmap(CreateBitmap(width, height, 1, 1, nullptr));
  if (!work || !mask || !workBitmap || !maskBitmap) return;
  ScopedSelect workSelected(work.get(), workBitmap.get());
  ScopedSelect maskSelected(mask.get(), maskBitmap.get());
  DrawPicture(work.get(), bitmap, RECT{0, 0, width, height});

  // Transparent pixels go black first, so that OR-ing the picture leaves the destination there.
  MaskOutColour(work.get(), mask.get(), width, height, ResolveColour(maskColour));

  // Monochrome to colour takes the destination's text and background colours: black and white.
  const COLORREF oldBack = SetBkColor(dc, kWhite);
  const COLORREF oldText = SetTextColor(dc, kBlack);
  BitBlt(dc, into.left, into.top, width, height, mask.get(), 0, 0, SRCAND);
  BitBlt(dc, into.left, into.top, width, height, work.get(), 0, 0, SRCPAINT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
}

}  // namespace lum
