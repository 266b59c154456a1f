#include <vector>

#include "platform/scoped_win.h"
#include "platform/text.h"
#include "render/caption_renderer.h"
#include "render/clock_text.h"

namespace lum {

namespace {

UINT AlignmentFormat(int32_t alignment, int32_t clockAlignment) {
  switch (alignment) {
    case 0:
      return DT_LEFT;
    case 1:
      return DT_RIGHT;
    case 2:
      return DT_CENTER;
    default:
      return clockAlignment == 1 ? DT_RIGHT : clockAlignment == 2 ? DT_CENTER : DT_LEFT;
  }
}

constexpr UINT kLineFormat = DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;

}  // namespace

std::u16string CaptionRenderer::ClockText() const {
  return ClockTextAt(style_.clockFormatIndex, clockSource_ ? clockSource_() : LocalMoment());
}

void CaptionRenderer::DrawOutlinedText(HDC surface, const std::u16string& text, const RECT& area, UINT format) const {
  // DrawText may shorten the text in place for the ellipsis, so each pass gets its own copy.
  auto draw = [&](RECT r) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 8, L'\0');
    DrawTextW(surface, buffer.data(), static_cast<int>(text.size()), &r, format);
  };
  if (style_.outline) {
    ::SetTextColor(surface, static_cast<COLORREF>(style_.outlineColor));
    draw({area.left + 1, area.top, area.right + 1, area.bottom});
    draw({area.left - 1, area.top, area.right - 1, area.bottom});
    draw({area.left, area.top + 1, area.right, area.bottom + 1});
    draw({area.left, area.top - 1, area.right, area.bottom - 1});
    ::SetTextColor(surface, static_cast<COLORREF>(style_.textColor));
  }
  draw(area);
}

CaptionRenderer::TextLayout CaptionRenderer::LayOutText(HWND window, int iconWidth, int buttonWidth,
                                                        const CaptionRect& rect) const {
  TextLayout layout;
  laidOut_ = {};
  // The title as the caller last read it for this window.
  const std::wstring wideTitle = window == title_.first ? title_.second : ReadCaptionTitle(window);
  if (wideTitle.empty()) return layout;
  layout.shown = true;
  const std::u16string title = FromWide(wideTitle.c_str());
  const bool clockShown = style_.clockShown;
  laidOut_.clockShown = clockShown;
  laidOut_.clockFormatIndex = style_.clockFormatIndex;
  if (clockShown) laidOut_.clock = ClockText();
  if (style_.alignment != 3)
    layout.text = clockShown ? title + u" " + laidOut_.clock : title;
  else if (clockShown)
    layout.text = laidOut_.clock;
  layout.box = {iconWidth + 6, rect.top, rect.right - buttonWidth - iconWidth + rect.left + 6, rect.bottom};
  layout.format = AlignmentFormat(style_.alignment, style_.clockAlignment) | kLineFormat;
  return layout;
}

void CaptionRenderer::DrawTextLayer(HDC surface, const TextLayout& layout, const CaptionRect& rect,
                                    HFONT captionFont) {
  (void)rect;
  if (!layout.shown) return;
  const std::u16string& s = layout.text;
  const RECT& t = layout.box;
  const bool news = ticker_ && ticker_->NewsOn();

  SetBkMode(surface, TRANSPARENT);
  ::SetTextColor(surface, static_cast<COLORREF>(style_.textColor));
  if (news) {
    // The ticker gets what the text leaves free, measured with the surface's own font
    // before the caption font is selected.
    SIZE extent{};
    if (!s.empty()) GetTextExtentPoint32W(surface, Wide(s), static_cast<int>(s.size()), &extent);
    CaptionRect area{t.left, t.top, t.right, t.bottom};
    const bool clockShown = style_.clockShown;
    if (clockShown || style_.alignment != 3) area.right = t.right - (extent.cx + 15);
    ScopedSelect fontSelected(surface, captionFont);
    if (style_.horizontalTicker)
      ticker_->HorizontalStep(surface, area);
    else
      ticker_->VerticalStep(surface, area);
    // While news runs the caption text keeps to the right, leaving the left to the ticker.
    if (!s.empty()) DrawOutlinedText(surface, s, t, DT_RIGHT | kLineFormat);
    return;
  }
  ScopedSelect fontSelected(surface, captionFont);
  if (!s.empty()) DrawOutlinedText(surface, s, t, layout.format);
}

void CaptionRenderer::DrawCaptionText(HWND window, HDC surface, int iconWidth, int buttonWidth,
                                      const CaptionRect& rect, bool active, HFONT captionFont) {
  (void)active;  // every caption is painted in its active form
  PutText(surface, TextKeyFor(LayOutText(window, iconWidth, buttonWidth, rect), captionFont), rect);
}

}  // namespace lum
