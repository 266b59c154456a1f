// The two ticker motions and the refetch timing, without any drawing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/caption_geometry.h"

namespace lum {

inline constexpr int kTickerWidth = 40;              // characters in the sideways ticker's window
inline constexpr int kTickerMinRight = 380;          // the sideways ticker needs an area reaching past this x
inline constexpr int32_t kSmallestNewsInterval = 3;  // minutes: the shortest interval the settings offer

// The sideways ticker: the news enters at the right and moves left one character per paint.
class HorizontalTicker {
 public:
  // The next 40-character frame of `news`.
  std::u16string NextTickerWindow(std::u16string_view news);
  // New news text starts the ticker from its first character.
  void Reset() {
    tickerPos_ = 0;
    tickerShown_.clear();
  }

 private:
  int32_t tickerPos_ = 0;
  std::u16string tickerShown_;
};

// The ticker that brings news lines up from the bottom of the area one pixel per paint and
// rests each near the top for twelve paints.
class VerticalTicker {
 public:
  // Moves the current line one step within `area`; returns the entry of `lines` to draw
  // there. The caller draws it into lineRect() and then records the drawn height.
  int32_t Step(const CaptionRect& area, size_t lineCount);
  const CaptionRect& lineRect() const { return lineRect_; }
  // The measured extent of the drawn line (its bottom and right).
  void SetMeasured(int32_t right, int32_t bottom) {
    lineRect_.right = right;
    lineRect_.bottom = bottom;
  }
  void ResetLine() { lineIndex_ = 0; }
  int32_t lineIndex() const { return lineIndex_; }

 private:
  int32_t lineIndex_ = 0;
  CaptionRect lineRect_{};
  int32_t holdCount_ = 0;
};

// Minutes counted from a fixed origin, for the refetch check: a date and time cut to the minute.
int64_t MinuteNumber(int year, int month, int day, int hour, int minute);

// True when more minute boundaries than `interval` lie between the last fetch and now. An
// interval below 1 (only a hand-edited LUM.ini has one) counts as the smallest the settings
// offer, so that it never refetches on every tick.
bool RefetchDue(int64_t lastFetchMinute, int64_t nowMinute, int32_t interval);

// What the ticker draws of `text`: control characters have no glyph. On one line (the sideways
// ticker) they are left out and a tab becomes a space; with `lineBreaks` (the rising ticker,
// whose drawing breaks lines and expands tabs) CR, LF and tab stay for the drawing to act on.
std::u16string TickerGlyphs(std::u16string_view text, bool lineBreaks);

}  // namespace lum
