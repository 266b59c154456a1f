// The DIB section through GDI: its memory layout after GDI drawing, copies in and out,
// resampling, noise, the clipboard and that nothing it made outlives it.
#include "imaging/dib_section.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

using lum::DibSection;

// Blue, green, red of the pixel at picture column x, picture row y (0 at the top).
COLORREF PictureAt(const DibSection& dib, int x, int y) {
  const uint8_t* p = dib.Pixels().Row(dib.Height() - 1 - y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

// One run through every way in and out of a DIB section, checking what each gives.
void DrawCopyAndResample() {
  DibSection dib;
  EXPECT_FALSE(dib.Create(0, 3));
  EXPECT_FALSE(dib.hdc());
  ASSERT_TRUE(dib.Create(5, 2));
  EXPECT_EQ(dib.BytesPerScanLine(), 16);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), dib.Pixels().Row(0));

  // A picture red on top and blue below, copied in: the top of the picture is the last row
  // of memory, and GDI has finished drawing before the bits are read.
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 6, 4);
  ReleaseDC(nullptr, screen);
  {
    DibSection painter;
    ASSERT_TRUE(painter.Create(6, 4));
    RECT top{0, 0, 6, 2}, bottom{0, 2, 6, 4};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(painter.hdc(), &top, red);
    FillRect(painter.hdc(), &bottom, blue);
    DeleteObject(red);
    DeleteObject(blue);
    EXPECT_EQ(PictureAt(painter, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(painter.Pixels().Row(0)[0], 255);  // memory row 0 is the blue bottom
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, picture);
    EXPECT_TRUE(painter.PaintPicture(memory));
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  ASSERT_TRUE(dib.CreateFromPicture(picture));
  DeleteObject(picture);
  EXPECT_EQ(dib.Width(), 6);
  EXPECT_EQ(dib.Height(), 4);
  EXPECT_EQ(PictureAt(dib, 5, 1), RGB(255, 0, 0));
  EXPECT_EQ(PictureAt(dib, 0, 2), RGB(0, 0, 255));

  // Same size: an exact copy; another size: a blend from red to blue; no size: nothing.
  auto same = dib.Resample(4, 6);
  ASSERT_TRUE(same);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(std::memcmp(same->Pixels().Row(row), dib.Pixels().Row(row), 18), 0);
  auto tall = dib.Resample(8, 3);
  ASSERT_TRUE(tall);
  EXPECT_EQ(tall->Width(), 3);
  EXPECT_EQ(PictureAt(*tall, 0, 7), RGB(0, 0, 255));
  const COLORREF middle = PictureAt(*tall, 1, 2);
  EXPECT_GT(GetRValue(middle), 0);
  EXPECT_GT(GetBValue(middle), 0);
  EXPECT_FALSE(dib.Resample(0, 3));
  EXPECT_FALSE(dib.Resample(3, -1));
  EXPECT_FALSE(dib.Resample(100000, 100000));  // 30 GB: refused, not wrapped

  // Noise through the object: grey is grey, colour has no blue.
  dib.RandomiseBits(true);
  EXPECT_EQ(GetRValue(PictureAt(dib, 3, 3)), GetBValue(PictureAt(dib, 3, 3)));
  dib.RandomiseBits(false);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(GetBValue(PictureAt(dib, x, 0)), 0);

  // Painting out at an offset with a negative size meaning the whole picture.
  DibSection target;
  ASSERT_TRUE(target.Create(10, 10));
  EXPECT_TRUE(dib.PaintPicture(target.hdc(), 2, 3, -1, -1));
  EXPECT_EQ(PictureAt(target, 7, 6), PictureAt(dib, 5, 3));
  EXPECT_TRUE(target.LoadPictureBlt(dib.hdc(), 1, 1, 2, 2));
  EXPECT_EQ(PictureAt(target, 0, 0), PictureAt(dib, 1, 1));
}

TEST(DibSection, DrawsCopiesAndResamplesThroughGdiWithoutLeaving) {
  // The first run leaves the system's own caches behind (the screen DC's objects); later
  // runs must leave nothing.
  DrawCopyAndResample();
  const int liveBefore = lumtest::CountLiveGdiObjects();
  for (int run = 0; run < 3; ++run) DrawCopyAndResample();
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), liveBefore);
}

TEST(DibSection, CopyToClipboardHandsTheClipboardABitmap) {
  DibSection dib;
  ASSERT_TRUE(dib.Create(7, 3));
  RECT all{0, 0, 7, 3};
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  FillRect(dib.hdc(), &all, green);
  DeleteObject(green);

  std::u16string said;
  dib.SetMessageBox([&](const std::u16string& text, UINT type) {
    said = text;
    EXPECT_EQ(type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    return IDOK;
  });
  EXPECT_FALSE(dib.CopyToClipboard(true));
  EXPECT_EQ(said, u"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");

  ASSERT_TRUE(dib.CopyToClipboard(false));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HBITMAP held = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_TRUE(held);
  BITMAP size{};
  ASSERT_EQ(GetObjectW(held, sizeof size, &size), static_cast<int>(sizeof size));
  EXPECT_EQ(size.bmWidth, 7);
  EXPECT_EQ(size.bmHeight, 3);
  DibSection back;
  EXPECT_TRUE(back.CreateFromPicture(held));
  EXPECT_EQ(PictureAt(back, 6, 2), RGB(0, 200, 0));
  CloseClipboard();
}

}  // namespace
