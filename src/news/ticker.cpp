#include "news/ticker.h"

namespace lum {

std::u16string HorizontalTicker::NextTickerWindow(std::u16string_view news) {
  std::u16string s(news);
  if (s.size() < static_cast<size_t>(kTickerWidth)) s.append(kTickerWidth, u'\u3000');
  // One paint after the last character the text starts again at the right end.
  if (static_cast<int64_t>(s.size()) < tickerPos_) Reset();
  ++tickerPos_;
  if (static_cast<size_t>(tickerPos_) <= s.size()) tickerShown_ += s[static_cast<size_t>(tickerPos_ - 1)];
  if (tickerShown_.size() <= static_cast<size_t>(kTickerWidth))
    return std::u16string(kTickerWidth - tickerShown_.size(), u'\u3000') + tickerShown_;
  return tickerShown_.substr(tickerShown_.size() - kTickerWidth);
}

int32_t VerticalTicker::Step(const CaptionRect& area, size_t lineCount) {
  if (lineRect_.bottom <= area.top + 2) {
    lineRect_ = area;
    lineRect_.top = area.bottom - 4;
    lineRect_.right = area.right;
    const int32_t highest = static_cast<int32_t>(lineCount) - 1;
    lineIndex_ = lineIndex_ > highest - 1 ? 0 : lineIndex_ + 1;
  } else if (lineRect_.top == area.top + 3 && holdCount_ <= 10) {
    ++holdCount_;
  } else {
    if (lineRect_.top == area.top + 3) holdCount_ = 0;
    --lineRect_.top;
    --lineRect_.bottom;
    lineRect_.right = area.right;
  }
  return lineIndex_;
}

int64_t MinuteNumber(int year, int month, int day, int hour, int minute) {
  // Days from the civil date (proleptic Gregorian), then minutes.
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe;
  return (days * 24 + hour) * 60 + minute;
}

bool RefetchDue(int64_t lastFetchMinute, int64_t nowMinute, int32_t interval) {
  return nowMinute - lastFetchMinute > (interval < 1 ? kSmallestNewsInterval : interval);
}

std::u16string TickerGlyphs(std::u16string_view text, bool lineBreaks) {
  std::u16string shown;
  shown.reserve(text.size());
  for (char16_t c : text) {
    if (c >= 0x20 && c != 0x7F) {
      shown += c;
    } else if (lineBreaks && (c == u'\r' || c == u'\n' || c == u'\t')) {
      shown += c;
    } else if (c == u'\t') {
      shown += u' ';
    }
  }
  return shown;
}

}  // namespace lum
