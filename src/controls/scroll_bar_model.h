// The arithmetic of the list scroll bar: a 32-bit range carried by a system scroll bar whose
// positions are 16-bit. While the range fits 16 bits the inner bar takes the values as they are;
// otherwise it runs over 0..32767 and positions are scaled between the two ranges. Everything is
// computed in 64-bit integers so that no range, however wide, overflows or misrounds.
#pragma once

#include <cstdint>

namespace lum {

// How a range maps onto the inner bar.
class ScrollRange {
 public:
  static constexpr int32_t kScaledInnerMaximum = 32767;

  ScrollRange(int32_t minimum, int32_t maximum) : minimum_(minimum), maximum_(maximum) {}

  int32_t minimum() const { return minimum_; }
  int32_t maximum() const { return maximum_; }

  // Scaled whenever the inner bar could not hold the range as it is: an end outside the 16-bit
  // positions, or a reversed range (the system bar runs from its minimum upwards only).
  bool Scaled() const;
  int32_t InnerMinimum() const { return Scaled() ? 0 : minimum_; }
  int32_t InnerMaximum() const { return Scaled() ? kScaledInnerMaximum : maximum_; }

  // Values outside the range become its nearer end (Min may exceed Max: the range is reversed).
  int32_t Limit(int64_t value) const;

  // Value to inner position, truncated toward zero and kept within the inner range.
  int32_t ToInner(int32_t value) const;
  // Inner position to value, truncated toward zero and limited to the range.
  int32_t FromInner(int32_t position) const;
  // A small or large change as an inner step: at least 1, at most the inner maximum.
  int32_t StepToInner(int32_t step) const;

  // Where the inner thumb sits for a value: its converted position, corrected so that the thumb
  // is at an end exactly when the value is at that end of the range.
  int32_t InnerPositionFor(int32_t value) const;

 private:
  int32_t minimum_;
  int32_t maximum_;
};

// What the user did on the inner bar (the system's scroll notification codes, in words).
enum class ScrollAction { kLineUp, kLineDown, kPageUp, kPageDown, kThumbTrack, kThumbPosition, kTop, kBottom, kEnd };

struct ScrollEvents {
  bool change = false;  // the value changed: raise Change
  bool scroll = false;  // the thumb is being dragged: raise Scroll
};

// The state of one list scroll bar: its outer properties and where its inner thumb belongs.
class ScrollBarModel {
 public:
  int32_t Value() const { return value_; }
  int32_t Min() const { return range_.minimum(); }
  int32_t Max() const { return range_.maximum(); }
  int32_t SmallChange() const { return smallChange_; }
  int32_t LargeChange() const { return largeChange_; }
  const ScrollRange& Range() const { return range_; }

  // Binds to an inner bar's settings. True when the value had to be limited.
  bool Load(int32_t minimum, int32_t maximum, int32_t value);

  // Each true when the value changed (a new range may limit it), so that Change is raised.
  bool SetValue(int32_t value);
  bool SetMin(int32_t minimum);
  bool SetMax(int32_t maximum);
  // Negative steps are ignored: a step moves toward its arrow, never away.
  void SetSmallChange(int32_t step);
  void SetLargeChange(int32_t step);

  int32_t InnerPosition() const { return innerPosition_; }
  int32_t InnerSmallChange() const { return range_.StepToInner(smallChange_); }
  int32_t InnerLargeChange() const { return range_.StepToInner(largeChange_); }

  // Applies a notification of the inner bar. Arrows and track clicks move the value by exactly
  // the small and large change whatever the scaling; a thumb drag sets the value from the
  // thumb's position. `thumb` is the thumb position for the two thumb actions.
  ScrollEvents Act(ScrollAction action, int32_t thumb);

 private:
  bool ApplyRange(ScrollRange range);
  bool MoveTo(int64_t value);

  ScrollRange range_{0, 32767};
  int32_t value_ = 0;
  int32_t smallChange_ = 1;
  int32_t largeChange_ = 1;
  int32_t innerPosition_ = 0;
  bool dragging_ = false;
  int32_t valueBeforeDrag_ = 0;
};

}  // namespace lum
