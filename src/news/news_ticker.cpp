#include "news/news_ticker.h"

#include <vector>

#include "news/news_layout.h"
#include "platform/sound.h"

namespace lum {

namespace {
constexpr int kNewsSound = 100;

void Draw(HDC surface, const std::u16string& text, RECT rect, UINT format) {
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.push_back(L'\0');
  DrawTextW(surface, buffer.data(), static_cast<int>(text.size()), &rect, format);
}
}  // namespace

void NewsTicker::SetTxtNews(std::u16string text) {
  if (text != txtNews_) horizontal_.Reset();
  txtNews_ = std::move(text);
}

std::u16string NewsTicker::Layout(std::u16string& text) {
  NewsLayout layout = LayoutNewsText(text);
  newsLines_ = std::move(layout.lines);
  if (soundEnabled_) PlayWaveResource(kNewsSound);
  return layout.text;
}

void NewsTicker::HorizontalStep(HDC surface, const CaptionRect& area) {
  if (area.right <= kTickerMinRight) return;
  // Line ends and other control characters have no glyph on one line: they are left out.
  std::u16string frame = TickerGlyphs(horizontal_.NextTickerWindow(txtNews_), false);
  Draw(surface, frame, {area.left, area.top, area.right, area.bottom}, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
}

void NewsTicker::VerticalStep(HDC surface, const CaptionRect& area) {
  const size_t index = static_cast<size_t>(vertical_.Step(area, newsLines_.size()));
  // Lines rebuilt shorter than the current index show nothing until the next line starts.
  if (index >= newsLines_.size()) return;
  // The drawing below breaks lines and expands tabs; any other control character is left out.
  const std::u16string line = TickerGlyphs(newsLines_[index], true);
  const CaptionRect& r = vertical_.lineRect();
  const UINT format = DT_WORDBREAK | DT_EXPANDTABS;
  if (style_.outline) {
    COLORREF textColor = GetTextColor(surface);
    SetTextColor(surface, static_cast<COLORREF>(style_.outlineColor));
    Draw(surface, line, {r.left + 1, r.top, r.right + 1, r.bottom}, format);
    Draw(surface, line, {r.left - 1, r.top, r.right - 1, r.bottom}, format);
    Draw(surface, line, {r.left, r.top + 1, r.right, r.bottom + 1}, format);
    Draw(surface, line, {r.left, r.top - 1, r.right, r.bottom - 1}, format);
    SetTextColor(surface, textColor);
  }
  // Measuring sets the line's bottom (and its right, to the wrapped text's extent).
  RECT measured{r.left, r.top, r.right, r.bottom};
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  DrawTextW(surface, buffer.data(), static_cast<int>(line.size()), &measured, format | DT_CALCRECT);
  vertical_.SetMeasured(measured.right, measured.bottom);
  Draw(surface, line, measured, format);
}

}  // namespace lum
