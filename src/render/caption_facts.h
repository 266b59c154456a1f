// What a window's caption is made from, as the window system tells it: asked the same way by
// the window thread's tick and by the steady painter, so that both see a change alike.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "render/caption_geometry.h"

namespace lum {

struct CaptionFacts {
  HWND window = nullptr;
  uint32_t style = 0;
  RECT windowRect{};
  std::wstring title;  // as InternalGetWindowText gives it; empty for a window without one
  bool operator==(const CaptionFacts& o) const {
    return window == o.window && style == o.style && EqualRect(&windowRect, &o.windowRect) && title == o.title;
  }
};

// The title the window system keeps for the window. Asking another program's window by
// WM_GETTEXT would wait on that program's thread every tick.
std::wstring ReadCaptionTitle(HWND window);

// The window's style and rectangle (unless the caller has just read them) and title; nothing
// when the window has gone.
std::optional<CaptionFacts> ReadCaptionFacts(HWND window, std::optional<uint32_t> knownStyle = std::nullopt,
                                             const RECT* knownRect = nullptr);

// What a painted caption was made from: the window's facts, the clock text in it, where the
// caption lies in the window and the settings generation it was composed at.
struct SteadyFacts {
  CaptionFacts caption;
  bool clockShown = false;
  int32_t clockFormatIndex = 0;
  std::u16string clock;
  CaptionRect rect;  // in the window's coordinates
  uint32_t generation = 0;
};

}  // namespace lum
