#include "controls/control_font.h"

#include <cmath>

#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

HFONT ControlFont::Create() const {
  LOGFONTW description{};
  description.lfHeight = -static_cast<LONG>(std::lround(size * ScreenDpi(LOGPIXELSY) / 72.0));
  description.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  description.lfItalic = italic;
  description.lfUnderline = underline;
  description.lfStrikeOut = strikethrough;
  description.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(description.lfFaceName, Wide(name), LF_FACESIZE);
  return CreateFontIndirectW(&description);
}

ControlFont ControlFont::OfWindow(HWND window) {
  return FromHandle(window ? reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr);
}

ControlFont ControlFont::FromHandle(HFONT font) {
  ControlFont result;
  LOGFONTW description{};
  if (!font || !GetObjectW(font, sizeof description, &description)) return result;
  result.name = FromWide(description.lfFaceName);
  result.size = static_cast<float>(std::abs(description.lfHeight)) * 72.0f / static_cast<float>(ScreenDpi(LOGPIXELSY));
  result.bold = description.lfWeight >= FW_BOLD;
  result.italic = description.lfItalic != 0;
  result.underline = description.lfUnderline != 0;
  result.strikethrough = description.lfStrikeOut != 0;
  return result;
}

void ControlFont::Write(PropertyBag& bag, const std::string& key) const {
  bag.WriteText(key + ".Name", name);
  bag.WriteInt(key + ".Size", std::lround(size * 100.0f));
  bag.WriteBool(key + ".Bold", bold);
  bag.WriteBool(key + ".Italic", italic);
  bag.WriteBool(key + ".Underline", underline);
  bag.WriteBool(key + ".Strikethrough", strikethrough);
}

ControlFont ControlFont::Read(const PropertyBag& bag, const std::string& key, const ControlFont& fallback) {
  ControlFont font;
  font.name = bag.ReadText(key + ".Name", fallback.name);
  font.size = static_cast<float>(bag.ReadInt(key + ".Size", std::lround(fallback.size * 100.0f))) / 100.0f;
  if (!(font.size > 0.0f && font.size < 1000.0f)) font.size = fallback.size;
  font.bold = bag.ReadBool(key + ".Bold", fallback.bold);
  font.italic = bag.ReadBool(key + ".Italic", fallback.italic);
  font.underline = bag.ReadBool(key + ".Underline", fallback.underline);
  font.strikethrough = bag.ReadBool(key + ".Strikethrough", fallback.strikethrough);
  return font;
}

}  // namespace lum
