#include "platform/dwm.h"

namespace lum {

namespace {
// DWMWINDOWATTRIBUTE values, fixed by the system since Vista (cloaking since Windows 8).
constexpr DWORD kCaptionButtonBounds = 5;
constexpr DWORD kExtendedFrameBounds = 9;
constexpr DWORD kCloaked = 14;

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
}  // namespace

namespace {
std::optional<bool>& SteeredCorners() {
  static std::optional<bool> answer;
  return answer;
}
}  // namespace

void SteerRoundedCorners(std::optional<bool> answer) { SteeredCorners() = answer; }

bool SystemRoundsWindowCorners() {
  if (SteeredCorners()) return *SteeredCorners();
  // The version as the system has it: GetVersionEx answers what the manifest declares.
  static const bool rounds = [] {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = Lookup<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return getVersion && getVersion(&version) == 0 && version.dwMajorVersion >= 10 && version.dwBuildNumber >= 22000;
  }();
  return rounds;
}

DwmApi::DwmApi() {
  // Kept loaded for the rest of the run; a missing library leaves both calls unset.
  HMODULE module = LoadLibraryW(L"dwmapi.dll");
  isCompositionEnabled_ = Lookup<IsCompositionEnabledFn>(module, "DwmIsCompositionEnabled");
  getWindowAttribute_ = Lookup<GetWindowAttributeFn>(module, "DwmGetWindowAttribute");
}

const DwmApi& DwmApi::Get() {
  static const DwmApi api;
  return api;
}

bool DwmApi::CompositionEnabled() const {
  BOOL enabled = FALSE;
  return isCompositionEnabled_ && SUCCEEDED(isCompositionEnabled_(&enabled)) && enabled;
}

bool DwmApi::Attribute(HWND window, DWORD attribute, void* value, DWORD size) const {
  return getWindowAttribute_ && SUCCEEDED(getWindowAttribute_(window, attribute, value, size));
}

std::optional<RECT> DwmApi::ExtendedFrameBounds(HWND window) const {
  RECT r{};
  if (!Attribute(window, kExtendedFrameBounds, &r, sizeof r)) return std::nullopt;
  return r;
}

std::optional<RECT> DwmApi::CaptionButtonBounds(HWND window) const {
  RECT r{};
  if (!Attribute(window, kCaptionButtonBounds, &r, sizeof r)) return std::nullopt;
  return r;
}

bool DwmApi::Cloaked(HWND window) const {
  DWORD cloaked = 0;
  return Attribute(window, kCloaked, &cloaked, sizeof cloaked) && cloaked != 0;
}

}  // namespace lum
