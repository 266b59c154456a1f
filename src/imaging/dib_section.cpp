#include "imaging/dib_section.h"

#include "platform/scoped_win.h"
#include "platform/text.h"

namespace lum {

bool DibSection::CreateDIB(HDC dc, int width, int height, HBITMAP& dib, void*& bits) {
  const auto imageSize = DibImageSize(width, height);
  if (!imageSize) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows stored bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(*imageSize);
  bits = nullptr;
  dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  return dib && bits;
}

bool DibSection::Create(int width, int height) {
  ClearUp();
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  HBITMAP dib = nullptr;
  void* bits = nullptr;
  if (!CreateDIB(dc, width, height, dib, bits)) {
    if (dib) DeleteObject(dib);
    DeleteDC(dc);
    return false;
  }
  HGDIOBJ previous = SelectObject(dc, dib);
  if (!previous || previous == HGDI_ERROR) {
    DeleteObject(dib);
    DeleteDC(dc);
    return false;
  }
  dc_ = dc;
  dib_ = dib;
  previous_ = previous;
  bits_ = static_cast<uint8_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

bool DibSection::CreateFromPicture(HBITMAP picture) {
  BITMAP size{};
  if (!picture || GetObjectW(picture, sizeof size, &size) != sizeof size) return false;
  if (!Create(size.bmWidth, size.bmHeight)) return false;
  ScopedMemoryDC source(dc_);
  if (!source) return false;
  HGDIOBJ previous = SelectObject(source.get(), picture);
  // A bitmap selected into another DC can't be selected here, and there is nothing to copy.
  if (!previous || previous == HGDI_ERROR) return false;
  const bool copied = LoadPictureBlt(source.get());
  SelectObject(source.get(), previous);
  return copied;
}

bool DibSection::LoadPictureBlt(HDC source, int left, int top, int width, int height, DWORD rop) {
  if (!dc_) return false;
  return BitBlt(dc_, 0, 0, width < 0 ? width_ : width, height < 0 ? height_ : height, source, left, top, rop) != FALSE;
}

bool DibSection::PaintPicture(HDC destination, int left, int top, int width, int height, int sourceLeft, int sourceTop,
                              DWORD rop) const {
  if (!dc_) return false;
  return BitBlt(destination, left, top, width < 0 ? width_ : width, height < 0 ? height_ : height, dc_, sourceLeft,
                sourceTop, rop) != FALSE;
}

uint8_t* DibSection::DIBSectionBitsPtr() const {
  GdiFlush();
  return bits_;
}

DibPixels DibSection::Pixels() const {
  if (!bits_) return {};
  return {{DIBSectionBitsPtr(), *DibImageSize(width_, height_)}, width_, height_};
}

void DibSection::RandomiseBits(bool grey) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const uint32_t seed = ((now.wHour * 60u + now.wMinute) * 60u + now.wSecond) * 1000u + now.wMilliseconds;
  FillNoise(Pixels(), grey, seed);
}

std::unique_ptr<DibSection> DibSection::Resample(int newHeight, int newWidth) const {
  auto target = std::make_unique<DibSection>();
  if (!dc_ || !target->Create(newWidth, newHeight)) return nullptr;
  if (newWidth == width_ && newHeight == height_) {
    if (!target->LoadPictureBlt(dc_)) return nullptr;
  } else {
    ResampleBilinear(Pixels(), target->Pixels());
  }
  return target;
}

bool DibSection::CopyToClipboard(bool asDib) {
  if (asDib) {
    const std::u16string text = u"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!";
    if (messageBox_)
      messageBox_(text, MB_OK);
    else
      MessageBoxW(nullptr, Wide(text), L"Lumbrel", MB_OK);
    return false;
  }
  if (!dc_) return false;
  ScopedBitmap copy;
  {
    ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
    ScopedMemoryDC memory(screen.get());
    copy.reset(CreateCompatibleBitmap(screen.get(), width_, height_));
    if (!copy || !memory) return false;
    ScopedSelect select(memory.get(), copy.get());
    if (!PaintPicture(memory.get())) return false;
  }
  // Data set on a clipboard opened without an owner window is refused after EmptyClipboard,
  // so a hidden window of our own owns it for the moment it takes.
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!owner) return false;
  bool taken = false;
  if (OpenClipboard(owner)) {
    if (EmptyClipboard() && SetClipboardData(CF_BITMAP, copy.get())) {
      copy.release();  // the clipboard owns it now
      taken = true;
    }
    CloseClipboard();
  }
  DestroyWindow(owner);
  return taken;
}

void DibSection::ClearUp() {
  if (dc_) {
    if (previous_) SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  if (dib_) DeleteObject(dib_);
  dc_ = nullptr;
  dib_ = nullptr;
  previous_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

}  // namespace lum
