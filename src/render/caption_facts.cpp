#include "render/caption_facts.h"

namespace lum {

std::wstring ReadCaptionTitle(HWND window) {
  wchar_t title[255] = {};
  const int length = InternalGetWindowText(window, title, 255);
  return std::wstring(title, length > 0 ? static_cast<size_t>(length) : 0);
}

std::optional<CaptionFacts> ReadCaptionFacts(HWND window, std::optional<uint32_t> knownStyle, const RECT* knownRect) {
  if (!window) return std::nullopt;
  CaptionFacts facts;
  facts.window = window;
  facts.style = knownStyle ? *knownStyle : static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE));
  if (knownRect)
    facts.windowRect = *knownRect;
  else if (!GetWindowRect(window, &facts.windowRect))
    return std::nullopt;
  facts.title = ReadCaptionTitle(window);
  return facts;
}

}  // namespace lum
