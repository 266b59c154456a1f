// Loading picture files (BMP, JPEG, GIF, WMF and what else the system's OLE picture
// loader reads) into a device-dependent bitmap the program owns.
#pragma once

#include <windows.h>

#include <string>

namespace lum {

// A new bitmap, or null when the file does not load as a picture. The caller deletes it.
HBITMAP LoadPictureFile(const std::u16string& path);

}  // namespace lum
