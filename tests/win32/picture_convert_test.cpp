// Picture objects over raw handles, their conversions, the transparent drawing of the list box's
// picture painter and the small DC routines, read back pixel by pixel from DIB surfaces.
#include "imaging/picture_convert.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "dib_surface.h"
#include "imaging/dc_helpers.h"
#include "test_support.h"

namespace {

using lum::ConvertPicture;
using lum::DrawPicture;
using lum::DrawPictureTransparent;
using lum::HandleToPicture;
using lum::Picture;
using lum::PictureKind;
using lumtest::Surface;

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);
constexpr COLORREF kPlum = RGB(200, 30, 60);  // red and blue differ: a swapped byte order shows

// A 16 x 16 white bitmap with a red square from (4, 4) to (12, 12) and one plum pixel at (5, 5).
HBITMAP PatternBitmap() {
  lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), 16, 16);
  lum::ScopedMemoryDC dc(screen.get());
  lum::ScopedSelect selected(dc.get(), bitmap);
  const RECT all{0, 0, 16, 16}, square{4, 4, 12, 12};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  lum::ScopedBrush red(CreateSolidBrush(kRed));
  FillRect(dc.get(), &square, red.get());
  SetPixel(dc.get(), 5, 5, kPlum);
  return bitmap;
}

// A 16 x 16 icon: the left half transparent, the right half red.
HICON HalfIcon() {
  lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
  BYTE maskBits[16 * 2];
  for (int row = 0; row < 16; ++row) maskBits[row * 2] = 0xFF, maskBits[row * 2 + 1] = 0x00;
  lum::ScopedBitmap mask(CreateBitmap(16, 16, 1, 1, maskBits));
  lum::ScopedBitmap colour(CreateCompatibleBitmap(screen.get(), 16, 16));
  {
    lum::ScopedMemoryDC dc(screen.get());
    lum::ScopedSelect selected(dc.get(), colour.get());
    const RECT left{0, 0, 8, 16}, right{8, 0, 16, 16};
    FillRect(dc.get(), &left, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    lum::ScopedBrush red(CreateSolidBrush(kRed));
    FillRect(dc.get(), &right, red.get());
  }
  ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
  return CreateIconIndirect(&info);
}

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TEST(HandleToPicture, DetectsEachKindAndOwnsOnlyWhatItWraps) {
  HBITMAP bitmap = PatternBitmap();
  Picture picture = HandleToPicture(bitmap);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture.Kind(), PictureKind::kBitmap);
  // OLE keeps 32 bits of a handle; what comes back may be sign-extended, which GDI takes alike.
  EXPECT_EQ(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(picture.Handle())),
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bitmap)));
  EXPECT_EQ(picture.SizeInPixels().cx, 16);
  EXPECT_EQ(picture.SizeInPixels().cy, 16);
  EXPECT_EQ(ConvertPicture(picture, PictureKind::kBitmap, kBlue).get(), picture.get());  // the same object

  Picture icon = HandleToPicture(HalfIcon());
  EXPECT_EQ(icon.Kind(), PictureKind::kIcon);
  EXPECT_EQ(icon.SizeInPixels().cx, 16);
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Rectangle(recorder, 0, 0, 10, 10);
  EXPECT_EQ(HandleToPicture(CloseEnhMetaFile(recorder)).Kind(), PictureKind::kEnhancedMetafile);
  HDC oldRecorder = CreateMetaFileW(nullptr);
  Rectangle(oldRecorder, 0, 0, 10, 10);
  EXPECT_EQ(HandleToPicture(CloseMetaFile(oldRecorder), 0, nullptr, 500, 500).Kind(), PictureKind::kMetafile);
  EXPECT_EQ(HandleToPicture(PatternBitmap(), 7).Kind(), PictureKind::kBitmap);  // outside 1..4: detected

  // Neither a null handle, nor a handle that is no object at all, nor another object type is a
  // picture; the brush stays the caller's.
  EXPECT_FALSE(HandleToPicture(nullptr));
  EXPECT_FALSE(HandleToPicture(reinterpret_cast<HANDLE>(0x5eed1234)));
  HBRUSH brush = CreateSolidBrush(kRed);
  EXPECT_FALSE(HandleToPicture(brush));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(ConvertPicture(Picture(), PictureKind::kIcon, 0));

  // The last reference deletes the wrapped bitmap.
  Picture copy = picture;
  picture = Picture();
  EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
  copy = Picture();
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(ConvertPicture, EveryTargetKeepsThePixels) {
  const Picture bitmap = HandleToPicture(PatternBitmap());
  // To an icon with white as the mask colour: the white frame becomes transparent.
  const Picture icon = ConvertPicture(bitmap, PictureKind::kIcon, kWhite);
  ASSERT_EQ(icon.Kind(), PictureKind::kIcon);
  {
    Surface surface(16, 16, 0x00FF00);
    DrawPicture(surface.dc(), icon, RECT{0, 0, 16, 16});
    EXPECT_EQ(surface.At(1, 1), 0x00FF00u);
    EXPECT_EQ(surface.At(8, 8), Rgb(kRed));
    EXPECT_EQ(surface.At(5, 5), Rgb(kPlum));
  }
  // To an enhanced metafile and from there back to a bitmap on a background.
  const Picture recorded = ConvertPicture(bitmap, PictureKind::kEnhancedMetafile, kBlue);
  ASSERT_EQ(recorded.Kind(), PictureKind::kEnhancedMetafile);
  EXPECT_EQ(recorded.SizeInPixels().cx, 16);
  EXPECT_EQ(recorded.SizeInPixels().cy, 16);
  const Picture replayed = ConvertPicture(recorded, PictureKind::kBitmap, kBlue);
  ASSERT_EQ(replayed.Kind(), PictureKind::kBitmap);
  {
    Surface surface(16, 16, 0);
    DrawPicture(surface.dc(), replayed, RECT{0, 0, 16, 16});
    EXPECT_EQ(surface.At(8, 8), Rgb(kRed));
    EXPECT_EQ(surface.At(1, 14), Rgb(kWhite));
  }
  // An icon to a bitmap: its transparent half takes the background, a system colour resolved.
  const Picture half = HandleToPicture(HalfIcon());
  struct {
    uint32_t background;
    COLORREF shown;
  } backgrounds[] = {{kBlue, kBlue}, {0x80000000u | COLOR_WINDOW, GetSysColor(COLOR_WINDOW)}};
  for (const auto& b : backgrounds) {
    const Picture flat = ConvertPicture(half, PictureKind::kBitmap, b.background);
    ASSERT_EQ(flat.Kind(), PictureKind::kBitmap);
    Surface surface(16, 16, 0x123456);
    DrawPicture(surface.dc(), flat, RECT{0, 0, 16, 16});
    EXPECT_EQ(surface.At(2, 8), Rgb(b.shown));
    EXPECT_EQ(surface.At(12, 8), Rgb(kRed));
  }
  EXPECT_FALSE(ConvertPicture(bitmap, PictureKind::kMetafile, 0));
}

TEST(DrawPictureTransparent, KeyColourPixelsShowTheDestination) {
  const Picture bitmap = HandleToPicture(PatternBitmap());
  Surface surface(40, 40, 0x00FF00);
  SetTextColor(surface.dc(), RGB(1, 2, 3));
  SetBkColor(surface.dc(), RGB(4, 5, 6));
  DrawPictureTransparent(surface.dc(), bitmap, RECT{4, 4, 36, 36});  // stretched twice
  EXPECT_EQ(surface.At(6, 6), 0x00FF00u);                            // white: the destination shows
  EXPECT_EQ(surface.At(2, 2), 0x00FF00u);                            // outside the rectangle
  EXPECT_EQ(surface.At(20, 20), Rgb(kRed));                          // the square is opaque
  EXPECT_EQ(surface.At(15, 15), Rgb(kPlum));
  EXPECT_EQ(GetTextColor(surface.dc()), RGB(1, 2, 3));
  EXPECT_EQ(GetBkColor(surface.dc()), RGB(4, 5, 6));

  // Another key: the red square drops out, the white frame and the plum pixel stay.
  Surface keyed(16, 16, 0x000000);
  DrawPictureTransparent(keyed.dc(), bitmap, RECT{0, 0, 16, 16}, kRed);
  EXPECT_EQ(keyed.At(8, 8), 0u);
  EXPECT_EQ(keyed.At(1, 1), Rgb(kWhite));
  EXPECT_EQ(keyed.At(5, 5), Rgb(kPlum));

  // An icon is made a bitmap on white first, so its transparent half stays transparent.
  Surface iconSurface(16, 16, 0x0000FF);
  DrawPictureTransparent(iconSurface.dc(), HandleToPicture(HalfIcon()), RECT{0, 0, 16, 16});
  EXPECT_EQ(iconSurface.At(3, 3), 0x0000FFu);
  EXPECT_EQ(iconSurface.At(12, 3), Rgb(kRed));
}

TEST(DcHelpers, FillFontBrushLengthAndMapping) {
  // Fill with the right and bottom edges included, whatever origins the DC had.
  Surface surface(12, 12, 0xFFFFFF);
  SetViewportOrgEx(surface.dc(), 3, 3, nullptr);
  lum::FillAndFocus(surface.dc(), 2, 2, 4, 4, lum::kFillRectangle, kBlue);
  POINT origin{};
  GetViewportOrgEx(surface.dc(), &origin);
  EXPECT_EQ(origin.x, 3);  // restored
  SetViewportOrgEx(surface.dc(), 0, 0, nullptr);
  EXPECT_EQ(surface.At(2, 2), Rgb(kBlue));
  EXPECT_EQ(surface.At(4, 4), Rgb(kBlue));
  EXPECT_EQ(surface.At(5, 5), 0xFFFFFFu);
  EXPECT_EQ(surface.At(1, 1), 0xFFFFFFu);
  lum::FillAndFocus(surface.dc(), 6, 6, 10, 10, lum::kFocusRectangle, 0);
  EXPECT_NE(surface.At(6, 6), 0xFFFFFFu);  // the dotted frame's first dot
  EXPECT_EQ(surface.At(8, 8), 0xFFFFFFu);  // nothing filled inside

  const lum::ColourBrush system = lum::BrushForColour(0x80000000u | COLOR_BTNFACE);
  EXPECT_TRUE(system.IsSystemBrush());
  EXPECT_EQ(system.get(), GetSysColorBrush(COLOR_BTNFACE));
  HBRUSH made = nullptr;
  {
    const lum::ColourBrush own = lum::BrushForColour(kPlum);
    ASSERT_TRUE(own);
    EXPECT_FALSE(own.IsSystemBrush());
    made = own.get();
    LOGBRUSH seen{};
    GetObjectW(made, sizeof seen, &seen);
    EXPECT_EQ(seen.lbColor, kPlum);
  }
  EXPECT_EQ(GetObjectType(made), 0u);  // the new brush went with its owner
  EXPECT_NE(GetObjectType(system.get()), 0u);

  LOGFONTW used{};
  lum::FontDescription description{nullptr, u"MS Shell Dlg", 9, true, false};
  lum::ScopedFont twips = lum::FontFromDescription(description, &used, 20);
  EXPECT_TRUE(twips);
  EXPECT_EQ(used.lfHeight, -180);
  EXPECT_EQ(used.lfWeight, FW_BOLD);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(used.lfFaceName)), u"MS Shell Dlg");
  description.size = 10.5f;
  description.italic = true;
  lum::ScopedFont pixels = lum::FontFromDescription(description, &used, 0);
  EXPECT_EQ(used.lfHeight, -MulDiv(105, GetDeviceCaps(surface.dc(), LOGPIXELSY), 720));  // 14 at 96 DPI
  EXPECT_TRUE(used.lfItalic);

  if (GetACP() == 932) {
    EXPECT_EQ(lum::AnsiLength(u"ab\u65e5\u672c\uff71"), 7);  // one byte each for a, b and the half-width kana
  }
  EXPECT_EQ(lum::AnsiLength(u""), 0);

  SetMapMode(surface.dc(), MM_ANISOTROPIC);
  lum::SetWindow(surface.dc(), 0, 0, 100, 50);
  EXPECT_TRUE(lum::SetViewport(surface.dc(), 2, 3, 12, 8));
  SIZE extent{};
  GetViewportExtEx(surface.dc(), &extent);
  GetViewportOrgEx(surface.dc(), &origin);
  EXPECT_EQ(extent.cx, 10);
  EXPECT_EQ(extent.cy, 5);
  EXPECT_EQ(origin.y, 3);
  GetWindowExtEx(surface.dc(), &extent);
  EXPECT_EQ(extent.cx, 100);
}

// Conversions through every kind, transparent drawing and the DC routines, a thousand times over:
// the live GDI object count must not move.
TEST(PictureLeaks, ConversionsAndDrawingLeaveNoObjects) {
  Surface surface(40, 40, 0x00FF00);
  auto round = [&] {
    const Picture bitmap = HandleToPicture(PatternBitmap());
    const Picture icon = ConvertPicture(bitmap, PictureKind::kIcon, kWhite);
    const Picture recorded = ConvertPicture(icon, PictureKind::kEnhancedMetafile, 0);
    const Picture flat = ConvertPicture(recorded, PictureKind::kBitmap, 0x80000000u | COLOR_WINDOW);
    DrawPictureTransparent(surface.dc(), flat, RECT{0, 0, 40, 40});
    DrawPictureTransparent(surface.dc(), icon, RECT{0, 0, 20, 20});
    lum::FillAndFocus(surface.dc(), 1, 1, 9, 9, lum::kFillRectangle | lum::kFocusRectangle, kPlum);
    LOGFONTW used{};
    lum::ScopedFont font = lum::FontFromDescription({nullptr, u"Arial", 8, false, true}, &used, 0);
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    HandleToPicture(CloseEnhMetaFile(recorder));
  };
  for (int i = 0; i < 5; ++i) round();
  const int before = lumtest::CountLiveGdiObjects();
  for (int i = 0; i < 1000; ++i) round();
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before) << "GDI objects left behind by 1,000 rounds";
}

}  // namespace
