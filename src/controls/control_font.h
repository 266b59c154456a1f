// The font of one of the program's own controls, as its property is saved: a face name, a
// size in points and the style flags.
#pragma once

#include <windows.h>

#include <string>

#include "controls/property_bag.h"

namespace lum {

struct ControlFont {
  std::u16string name = u"ＭＳ Ｐゴシック";
  float size = 9.0f;  // points
  bool bold = false, italic = false, underline = false, strikethrough = false;

  bool operator==(const ControlFont&) const = default;

  // A new font of this description for the screen; the caller deletes it.
  HFONT Create() const;
  // The description of a font handle (the container's WM_GETFONT); the default for none.
  static ControlFont FromHandle(HFONT font);
  // The font the window uses (WM_GETFONT); no window or no font gives the default.
  static ControlFont OfWindow(HWND window);

  // Saved as "<key>.Name", "<key>.Size" (hundredths of a point), "<key>.Bold" and so on.
  void Write(PropertyBag& bag, const std::string& key) const;
  static ControlFont Read(const PropertyBag& bag, const std::string& key, const ControlFont& fallback);
};

}  // namespace lum
