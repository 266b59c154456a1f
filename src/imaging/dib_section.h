// A 24-bit device-independent bitmap whose pixel memory the program addresses directly,
// selected into its own memory DC so that it can also be drawn into and copied with BitBlt.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "imaging/dib_pixels.h"

namespace lum {

class DibSection {
 public:
  // Shows a message with an OK button; the tests answer it instead of a real message box.
  using MessageBoxFn = std::function<int(const std::u16string& text, UINT type)>;

  DibSection() = default;
  ~DibSection() { ClearUp(); }
  DibSection(const DibSection&) = delete;
  DibSection& operator=(const DibSection&) = delete;

  // A new width x height bitmap in a memory DC compatible with the screen; any previous one is
  // released first. False (and nothing held) when a side is below 1 or creation fails.
  bool Create(int width, int height);
  // A bitmap of the picture's size holding a copy of it.
  bool CreateFromPicture(HBITMAP picture);
  // BitBlt from `source` into this bitmap at (0, 0); a negative width or height means this
  // bitmap's.
  bool LoadPictureBlt(HDC source, int left = 0, int top = 0, int width = -1, int height = -1, DWORD rop = SRCCOPY);
  // BitBlt from this bitmap to `destination`; a negative width or height means this bitmap's.
  bool PaintPicture(HDC destination, int left = 0, int top = 0, int width = -1, int height = -1, int sourceLeft = 0,
                    int sourceTop = 0, DWORD rop = SRCCOPY) const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BytesPerScanLine() const { return static_cast<int>(lum::BytesPerScanLine(width_)); }
  HDC hdc() const { return dc_; }
  HBITMAP hDib() const { return dib_; }
  // The first byte of the bottom row. GDI may still be drawing into the bitmap in the
  // background, so this waits for it first.
  uint8_t* DIBSectionBitsPtr() const;
  // The pixel memory as a view (empty when nothing is held), after waiting for GDI.
  DibPixels Pixels() const;

  // Fills the pixels with noise seeded from the time of day.
  void RandomiseBits(bool grey);
  // A new bitmap of newWidth x newHeight holding this picture resampled bilinearly (copied
  // unchanged at the same size), or null when a size is below 1 or the bitmap can't be made.
  std::unique_ptr<DibSection> Resample(int newHeight, int newWidth) const;
  // Puts a copy of the picture on the clipboard as CF_BITMAP; true when the clipboard took it.
  // As a DIB it only says that it can't and answers false.
  bool CopyToClipboard(bool asDib);
  void SetMessageBox(MessageBoxFn show) { messageBox_ = std::move(show); }

  // Puts the DC's previous bitmap back and deletes the bitmap and the DC.
  void ClearUp();

 private:
  static bool CreateDIB(HDC dc, int width, int height, HBITMAP& dib, void*& bits);

  HDC dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  MessageBoxFn messageBox_;
};

}  // namespace lum
