#include "render/repaint_cycle.h"

#include <array>

namespace lum {

namespace {
constexpr std::array<std::u16string_view, 5> kExcludedClasses = {
    u"ToolbarWindow32", u"ReBarWindow32", u"BaseBar", u"EXCEL", u"Afx:400000:8:10011:0:0"};
}

bool HasCaptionFrame(uint32_t style) { return (style & kWsDlgFrame) != 0; }

std::u16string CleanClassName(std::u16string_view raw) {
  std::u16string name;
  name.reserve(raw.size());
  for (char16_t c : raw)
    if (c != 0) name += c;
  return name;
}

bool IsPaintableClass(std::u16string_view className) {
  for (auto excluded : kExcludedClasses)
    if (className == excluded) return false;
  return className.empty() || className.front() != u'#';
}

int32_t AdvanceFrame(int32_t counter, int32_t frameCount) {
  if (counter <= 0) return counter;
  return counter == frameCount ? 1 : counter + 1;
}

}  // namespace lum
