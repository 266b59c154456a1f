#include "imaging/picture_file.h"

#include <ocidl.h>
#include <olectl.h>

#include "platform/scoped_win.h"
#include "platform/text.h"

namespace lum {

namespace {

// A metafile (or any other non-bitmap picture) is rendered once into a bitmap of its size.
HBITMAP RenderToBitmap(IPicture* picture) {
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight))) return nullptr;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  if (!screen) return nullptr;
  int width = MulDiv(himetricWidth, GetDeviceCaps(screen.get(), LOGPIXELSX), 2540);
  int height = MulDiv(himetricHeight, GetDeviceCaps(screen.get(), LOGPIXELSY), 2540);
  if (width <= 0 || height <= 0) return nullptr;
  ScopedMemoryDC dc(screen.get());
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!dc || !bitmap) return nullptr;
  {
    ScopedSelect selected(dc.get(), bitmap.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    picture->Render(dc.get(), 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight, nullptr);
  }
  return bitmap.release();
}

}  // namespace

HBITMAP LoadPictureFile(const std::u16string& path) {
  if (path.empty()) return nullptr;
  HRESULT init = CoInitialize(nullptr);
  HBITMAP result = nullptr;
  IPicture* picture = nullptr;
  std::u16string mutablePath = path;
  if (SUCCEEDED(OleLoadPicturePath(reinterpret_cast<LPOLESTR>(mutablePath.data()), nullptr, 0, 0, IID_IPicture,
                                   reinterpret_cast<void**>(&picture))) &&
      picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
        SUCCEEDED(picture->get_Handle(&handle)) && handle)
      result = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP,
                                              0, 0, 0));
    else if (type != PICTYPE_NONE && type != PICTYPE_UNINITIALIZED)
      result = RenderToBitmap(picture);
    picture->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return result;
}

}  // namespace lum
