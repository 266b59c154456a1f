#include "controls/scroll_bar_model.h"

#include <algorithm>

namespace lum {

namespace {

constexpr int32_t kInnerTop = ScrollRange::kScaledInnerMaximum;

int32_t Clamp(int64_t value, int64_t low, int64_t high) { return static_cast<int32_t>(std::clamp(value, low, high)); }

}  // namespace

bool ScrollRange::Scaled() const { return minimum_ < -32768 || maximum_ > 32767 || minimum_ > maximum_; }

int32_t ScrollRange::Limit(int64_t value) const {
  return Clamp(value, std::min(minimum_, maximum_), std::max(minimum_, maximum_));
}

int32_t ScrollRange::ToInner(int32_t value) const {
  if (!Scaled()) return Limit(value);
  const int64_t span = int64_t{maximum_} - minimum_;
  // A range of one value puts the thumb at the top rather than dividing by zero.
  if (span == 0) return 0;
  return Clamp(int64_t{kInnerTop} * (int64_t{value} - minimum_) / span, 0, kInnerTop);
}

int32_t ScrollRange::FromInner(int32_t position) const {
  if (!Scaled()) return Limit(position);
  const int64_t span = int64_t{maximum_} - minimum_;
  return Limit(minimum_ + span * Clamp(position, 0, kInnerTop) / kInnerTop);
}

int32_t ScrollRange::StepToInner(int32_t step) const {
  if (!Scaled()) return Clamp(step, 1, kInnerTop);
  const int64_t span = int64_t{maximum_} - minimum_;
  const int64_t width = span < 0 ? -span : span;
  if (width == 0) return 1;
  return Clamp(int64_t{kInnerTop} * step / width, 1, kInnerTop);
}

int32_t ScrollRange::InnerPositionFor(int32_t value) const {
  value = Limit(value);
  if (!Scaled()) return value;
  int32_t position = ToInner(value);
  if (value == maximum_) position = kInnerTop;
  if (value == minimum_) position = 0;
  // A value off an end never shows the thumb at that end, so a step off the end always shows.
  if (position == 0 && value != minimum_) position = ToInner(value) + 1;
  if (position == kInnerTop && value != maximum_) position = std::min(ToInner(value), kInnerTop - 1);
  return position;
}

bool ScrollBarModel::Load(int32_t minimum, int32_t maximum, int32_t value) {
  value_ = value;
  return ApplyRange(ScrollRange(minimum, maximum));
}

bool ScrollBarModel::SetValue(int32_t value) { return MoveTo(value); }

bool ScrollBarModel::SetMin(int32_t minimum) { return ApplyRange(ScrollRange(minimum, range_.maximum())); }

bool ScrollBarModel::SetMax(int32_t maximum) { return ApplyRange(ScrollRange(range_.minimum(), maximum)); }

void ScrollBarModel::SetSmallChange(int32_t step) {
  if (step >= 0) smallChange_ = step;
}

void ScrollBarModel::SetLargeChange(int32_t step) {
  if (step >= 0) largeChange_ = step;
}

bool ScrollBarModel::ApplyRange(ScrollRange range) {
  range_ = range;
  const int32_t limited = range_.Limit(value_);
  const bool changed = limited != value_;
  value_ = limited;
  innerPosition_ = range_.InnerPositionFor(value_);
  return changed;
}

bool ScrollBarModel::MoveTo(int64_t value) {
  const int32_t limited = range_.Limit(value);
  innerPosition_ = range_.InnerPositionFor(limited);
  if (limited == value_) return false;
  value_ = limited;
  return true;
}

ScrollEvents ScrollBarModel::Act(ScrollAction action, int32_t thumb) {
  // Down the bar is toward Max, which lies below Min in a reversed range.
  const int64_t down = range_.maximum() >= range_.minimum() ? 1 : -1;
  const int32_t position = Clamp(thumb, range_.InnerMinimum(), range_.InnerMaximum());
  ScrollEvents events;
  switch (action) {
    case ScrollAction::kLineUp:
      events.change = MoveTo(value_ - down * smallChange_);
      break;
    case ScrollAction::kLineDown:
      events.change = MoveTo(value_ + down * smallChange_);
      break;
    case ScrollAction::kPageUp:
      events.change = MoveTo(value_ - down * largeChange_);
      break;
    case ScrollAction::kPageDown:
      events.change = MoveTo(value_ + down * largeChange_);
      break;
    case ScrollAction::kTop:
      events.change = MoveTo(range_.minimum());
      break;
    case ScrollAction::kBottom:
      events.change = MoveTo(range_.maximum());
      break;
    case ScrollAction::kThumbTrack:
      if (!dragging_) valueBeforeDrag_ = value_;
      dragging_ = true;
      value_ = range_.FromInner(position);
      innerPosition_ = position;  // the thumb stays under the mouse while it is dragged
      events.scroll = true;
      return events;
    case ScrollAction::kThumbPosition:
    case ScrollAction::kEnd: {
      if (action == ScrollAction::kEnd && !dragging_) return events;
      // A drag that ends without its release position settles where the thumb was last shown.
      const int32_t released = action == ScrollAction::kEnd ? innerPosition_ : position;
      const int32_t before = dragging_ ? valueBeforeDrag_ : value_;
      value_ = range_.FromInner(released);
      innerPosition_ = range_.InnerPositionFor(value_);
      events.change = value_ != before;
      break;
    }
  }
  dragging_ = false;
  return events;
}

}  // namespace lum
