// The desktop window manager's calls, loaded at run time: dwmapi.dll is missing on older
// systems, and every call here answers "no" when it or the call fails.
#pragma once

#include <windows.h>

#include <optional>

namespace lum {

// Whether the system rounds the corners of windows that are not maximised (Windows 11, build
// 22000 on). Wine knows no Windows 11, so a test answers for it through SteerRoundedCorners.
bool SystemRoundsWindowCorners();
void SteerRoundedCorners(std::optional<bool> answer);

class DwmApi {
 public:
  // The one loader of the process; dwmapi.dll is loaded on the first use.
  static const DwmApi& Get();

  // Whether the window manager composes the desktop (always so on Windows 8 and later).
  bool CompositionEnabled() const;
  // The window's visible frame, in screen coordinates.
  std::optional<RECT> ExtendedFrameBounds(HWND window) const;
  // The caption buttons, relative to the window rectangle.
  std::optional<RECT> CaptionButtonBounds(HWND window) const;
  // Cloaked windows (another virtual desktop, a suspended app) are not seen though visible.
  bool Cloaked(HWND window) const;

 private:
  DwmApi();
  bool Attribute(HWND window, DWORD attribute, void* value, DWORD size) const;

  using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using GetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  IsCompositionEnabledFn isCompositionEnabled_ = nullptr;
  GetWindowAttributeFn getWindowAttribute_ = nullptr;
};

}  // namespace lum
