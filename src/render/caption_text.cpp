#include <vector>

#include "platform/scoped_win.h"
#include "platform/text.h"
#include "render/caption_renderer.h"

namespace lum {

namespace {

ClockMoment LocalMoment() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The system's general form of a date and time, for a format index outside the table.
std::u16string GeneralDateTime(const ClockMoment& m) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(m.year);
  time.wMonth = static_cast<WORD>(m.month);
  time.wDay = static_cast<WORD>(m.day);
  time.wHour = static_cast<WORD>(m.hour);
  time.wMinute = static_cast<WORD>(m.minute);
  time.wSecond = static_cast<WORD>(m.second);
  wchar_t date[80] = {}, clock[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 80);
  return FromWide(date) + u" " + FromWide(clock);
}

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
  ClockMoment now = clockSource_ ? clockSource_() : LocalMoment();
  int32_t index = shared_ ? shared_->clockFormatIndex : 0;
  std::u16string pattern = FormatClock(index);
  return pattern.empty() ? GeneralDateTime(now) : ExpandClockPattern(now, pattern);
}

void CaptionRenderer::DrawOutlinedText(HDC surface, const std::u16string& text, const RECT& area, UINT format) const {
  // DrawText may shorten the text in place for the ellipsis, so each pass gets its own copy.
  auto draw = [&](RECT r) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 8, L'\0');
    DrawTextW(surface, buffer.data(), static_cast<int>(text.size()), &r, format);
  };
  if (shared_ && shared_->shadow) {
    ::SetTextColor(surface, static_cast<COLORREF>(shared_->shadowColor));
    draw({area.left + 1, area.top, area.right + 1, area.bottom});
    draw({area.left - 1, area.top, area.right - 1, area.bottom});
    draw({area.left, area.top + 1, area.right, area.bottom + 1});
    draw({area.left, area.top - 1, area.right, area.bottom - 1});
    ::SetTextColor(surface, static_cast<COLORREF>(textColor_));
  }
  draw(area);
}

void CaptionRenderer::DrawCaptionText(HWND window, HDC surface, int iconWidth, int buttonWidth,
                                      const CaptionRect& rect, bool active, HFONT captionFont) {
  (void)active;  // every caption is painted in its active form
  wchar_t titleBuffer[255] = {};
  if (GetWindowTextW(window, titleBuffer, 255) == 0) return;
  const std::u16string title = FromWide(titleBuffer);

  const bool clockShown = shared_ && shared_->clockFlag == -1;
  std::u16string s;
  if (alignment_ != 3)
    s = clockShown ? title + u" " + ClockText() : title;
  else if (clockShown)
    s = ClockText();

  // Measured with the surface's own font, before the caption font is selected.
  SIZE extent{};
  if (!s.empty()) GetTextExtentPoint32W(surface, Wide(s), static_cast<int>(s.size()), &extent);
  const int tw = extent.cx;

  RECT t{iconWidth + 6, rect.top, rect.right - buttonWidth - iconWidth + rect.left + 6, rect.bottom};
  CaptionRect area{t.left, t.top, t.right, t.bottom};
  if (clockShown || alignment_ != 3) area.right = t.right - (tw + 15);

  SetBkMode(surface, TRANSPARENT);
  ::SetTextColor(surface, static_cast<COLORREF>(textColor_));
  ScopedSelect fontSelected(surface, captionFont);
  UINT format = AlignmentFormat(alignment_, shared_ ? shared_->clockAlignment : 0) | kLineFormat;

  if (ticker_ && ticker_->NewsOn()) {
    if (shared_ && shared_->scrollMode == 1)
      ticker_->HorizontalStep(surface, area);
    else
      ticker_->VerticalStep(surface, area);
    // While news runs the caption text keeps to the right, leaving the left to the ticker.
    if (!s.empty()) DrawOutlinedText(surface, s, t, DT_RIGHT | kLineFormat);
    return;
  }
  if (!s.empty()) DrawOutlinedText(surface, s, t, format);
}

}  // namespace lum
