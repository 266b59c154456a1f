// A stand-in dwmapi.dll for the end-to-end tests: it answers as the window manager of Windows
// 10 and 11 does, which Wine's own never does (no frame bounds, no button bounds, nothing ever
// cloaked). A test puts it beside lumbrel.exe and loads it with WINEDLLOVERRIDES=dwmapi=n; it
// is never shipped.
//
// The test steers it through HKCU\Software\Lumbrel Tests\DwmStandIn, read on every call:
//   Composition   DWORD, 1 (the default): composition on; 0 off
//   Fail          DWORD, 1: every call fails with E_FAIL, as a broken window manager would
//   Cloaked       DWORD, a window handle reported as cloaked (another virtual desktop)
//   ButtonWidth, ButtonHeight   DWORDs, one caption button at 96 dpi (46 x 30 by default)
#include <windows.h>

namespace {

constexpr DWORD kCaptionButtonBounds = 5;
constexpr DWORD kExtendedFrameBounds = 9;
constexpr DWORD kCloaked = 14;
constexpr DWORD kCloakedShell = 2;  // DWM_CLOAKED_SHELL: what another virtual desktop gives
// The invisible resize border left, right and below a window at 96 dpi; none above it.
constexpr int kInvisibleBorder = 7;

DWORD Setting(const wchar_t* name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Lumbrel Tests\\DwmStandIn", name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return fallback;
  return value;
}

// The window's DPI where the system tells it, the screen's otherwise.
int DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow)
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
  if (!enabled) return E_INVALIDARG;
  if (Setting(L"Fail", 0)) return E_FAIL;
  *enabled = Setting(L"Composition", 1) ? TRUE : FALSE;
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DwmGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
  if (!value) return E_INVALIDARG;
  if (Setting(L"Fail", 0)) return E_FAIL;
  if (!IsWindow(window)) return E_HANDLE;
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return E_HANDLE;
  const int dpi = DpiOf(window);
  const int border = MulDiv(kInvisibleBorder, dpi, 96);
  switch (attribute) {
    case kExtendedFrameBounds: {
      if (size != sizeof(RECT)) return E_INVALIDARG;
      *static_cast<RECT*>(value) = RECT{rect.left + border, rect.top, rect.right - border, rect.bottom - border};
      return S_OK;
    }
    case kCaptionButtonBounds: {
      if (size != sizeof(RECT)) return E_INVALIDARG;
      const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
      if ((style & WS_CAPTION) != WS_CAPTION || !(style & WS_SYSMENU)) return E_FAIL;
      // Minimise and maximise come together (one of them greyed) or not at all.
      const int buttons = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 3 : 1;
      const int width = MulDiv(static_cast<int>(Setting(L"ButtonWidth", 46)), dpi, 96);
      const int height = MulDiv(static_cast<int>(Setting(L"ButtonHeight", 30)), dpi, 96);
      // Relative to the window rectangle, at the right end of the visible frame.
      const int right = rect.right - rect.left - border;
      *static_cast<RECT*>(value) = RECT{right - buttons * width, 0, right, height};
      return S_OK;
    }
    case kCloaked: {
      if (size != sizeof(DWORD)) return E_INVALIDARG;
      const DWORD cloaked = Setting(L"Cloaked", 0);
      *static_cast<DWORD*>(value) =
          cloaked && cloaked == static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window)) ? kCloakedShell : 0;
      return S_OK;
    }
    default:
      return E_INVALIDARG;
  }
}

}  // extern "C"
