#include "controls/scroll_bar_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>

namespace lum {
namespace {

constexpr int64_t kTop = ScrollRange::kScaledInnerMaximum;

// Ranges of every kind the sweep mixes: small, around the 16-bit edges, full 32-bit, one value
// wide, and reversed.
ScrollRange RandomRange(std::mt19937& random) {
  auto any = [&](int64_t low, int64_t high) {
    return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(low, high)(random));
  };
  const int32_t kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  switch (random() % 7) {
    case 0:
      return {any(-32768, 0), any(0, 32767)};
    case 1:
      return {any(-40, 40), any(32760, 32800)};
    case 2:
      return {any(-32800, -32760), any(-10, 10)};
    case 3: {
      int32_t end = any(32768, kMax);
      return {end, end};
    }
    case 4:
      return {any(kMax - 1, kMax) == kMax ? kMin : any(kMin, 0), any(0, kMax)};
    case 5:
      return {any(1, kMax), any(kMin, 0)};
    default: {
      int32_t low = any(kMin, kMax - 1);
      return {low, any(low, kMax)};
    }
  }
}

TEST(ScrollRange, SweepAgainstExactArithmetic) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 100000; ++i) {
    const ScrollRange range = RandomRange(random);
    const int64_t low = std::min(range.minimum(), range.maximum()), high = std::max(range.minimum(), range.maximum());
    const int64_t span = int64_t{range.maximum()} - range.minimum();
    const bool fits = range.minimum() >= -32768 && range.maximum() <= 32767 && span >= 0;
    ASSERT_EQ(range.Scaled(), !fits) << range.minimum() << ".." << range.maximum();

    // Values just off each end, at the ends and anywhere between.
    const int64_t picks[] = {
        low - 1, low, low + 1, high - 1, high, high + 1, std::uniform_int_distribution<int64_t>(low, high)(random)};
    const int64_t raw = picks[random() % 7];
    const int32_t value = static_cast<int32_t>(std::clamp<int64_t>(raw, INT32_MIN, INT32_MAX));
    const int32_t limited = range.Limit(value);
    ASSERT_EQ(limited, std::clamp<int64_t>(value, low, high));
    const int32_t thumb = range.InnerPositionFor(limited);
    const int32_t step = static_cast<int32_t>(random() % 70000);
    const int32_t position = static_cast<int32_t>(random() % (kTop + 1));

    if (fits) {
      EXPECT_EQ(thumb, limited);
      EXPECT_EQ(range.FromInner(static_cast<int32_t>(std::clamp<int64_t>(position, low, high))),
                std::clamp<int64_t>(position, low, high));
      EXPECT_EQ(range.StepToInner(step), std::clamp(step, 1, 32767));
      continue;
    }
    ASSERT_GE(thumb, 0);
    ASSERT_LE(thumb, kTop);
    // The thumb is at an end exactly when the value is at that end of the range.
    EXPECT_EQ(thumb == kTop, limited == range.maximum() && span != 0) << limited;
    EXPECT_EQ(thumb == 0, limited == range.minimum()) << limited;
    if (span == 0) {
      EXPECT_EQ(range.FromInner(position), range.minimum());
      EXPECT_EQ(range.StepToInner(step), 1);
      continue;
    }
    // The inner position is the truncated quotient: offset and span share a sign.
    const int64_t offset = std::abs(int64_t{limited} - range.minimum()), width = std::abs(span);
    const int64_t inner = range.ToInner(limited);
    EXPECT_LE(inner * width, kTop * offset);
    EXPECT_GT((inner + 1) * width, kTop * offset);
    if (limited != range.minimum() && limited != range.maximum()) {
      EXPECT_EQ(thumb, inner == 0 ? 1 : inner);
    }
    // A thumb position names the value whose offset is the exact quotient, truncated.
    const int64_t back = int64_t{range.FromInner(position)} - range.minimum();
    const int64_t exact = span * position;  // |exact| / 32767 truncated is |back|
    EXPECT_LE(std::abs(back) * kTop, std::abs(exact));
    EXPECT_GT((std::abs(back) + 1) * kTop, std::abs(exact));
    EXPECT_EQ(range.StepToInner(step), std::clamp<int64_t>(kTop * step / width, 1, kTop));
  }
}

TEST(ScrollRange, ThumbNeverMovesBackAsTheValueGrows) {
  const ScrollRange ranges[] = {{0, 100000}, {-100000, 100}, {INT32_MIN, INT32_MAX}, {-5, 40000}};
  for (const ScrollRange& range : ranges) {
    int32_t previous = -1;
    const int64_t stride = std::max<int64_t>(1, (int64_t{range.maximum()} - range.minimum()) / 200000);
    for (int64_t v = range.minimum(); v <= range.maximum(); v += stride) {
      const int32_t thumb = range.InnerPositionFor(static_cast<int32_t>(v));
      ASSERT_GE(thumb, previous) << v;
      previous = thumb;
    }
  }
}

TEST(ScrollBarModel, ScaledBarStepsByTheOuterChanges) {
  ScrollBarModel bar;
  EXPECT_FALSE(bar.SetMax(100000));
  EXPECT_TRUE(bar.Range().Scaled());
  EXPECT_TRUE(bar.SetValue(50000));
  EXPECT_EQ(bar.InnerPosition(), 16383);
  EXPECT_EQ(bar.InnerSmallChange(), 1);  // 32767 / 100000 truncates to 0 and is raised to 1
  ScrollEvents events = bar.Act(ScrollAction::kLineDown, 0);
  EXPECT_TRUE(events.change);
  EXPECT_EQ(bar.Value(), 50001);
  bar.SetLargeChange(10000);
  EXPECT_EQ(bar.InnerLargeChange(), 3276);
  bar.Act(ScrollAction::kPageUp, 0);
  EXPECT_EQ(bar.Value(), 40001);

  EXPECT_TRUE(bar.SetValue(99999));
  EXPECT_EQ(bar.InnerPosition(), 32766);
  EXPECT_TRUE(bar.Act(ScrollAction::kLineDown, 0).change);
  EXPECT_EQ(bar.InnerPosition(), 32767);
  EXPECT_FALSE(bar.Act(ScrollAction::kLineDown, 0).change);  // already at the end
  EXPECT_FALSE(bar.SetValue(100000));                        // the same value raises nothing
  EXPECT_TRUE(bar.Act(ScrollAction::kTop, 0).change);
  EXPECT_EQ(bar.Value(), 0);
  EXPECT_TRUE(bar.SetValue(1));
  EXPECT_EQ(bar.InnerPosition(), 1);  // off the end, so off the thumb's end too
  EXPECT_TRUE(bar.SetValue(-5));      // limited to the range
  EXPECT_EQ(bar.Value(), 0);

  // Shrinking the range below the value limits it and reports the change.
  bar.SetValue(90000);
  EXPECT_TRUE(bar.SetMax(100));
  EXPECT_FALSE(bar.Range().Scaled());
  EXPECT_EQ(bar.Value(), 100);
  EXPECT_EQ(bar.InnerPosition(), 100);
}

TEST(ScrollBarModel, ThumbDragScrollsThenChangesOnceOnRelease) {
  ScrollBarModel bar;
  bar.Load(0, 100000, 0);
  ScrollEvents track = bar.Act(ScrollAction::kThumbTrack, 16384);
  EXPECT_TRUE(track.scroll);
  EXPECT_FALSE(track.change);
  EXPECT_EQ(bar.Value(), 50001);  // 100000 * 16384 / 32767 truncated
  EXPECT_EQ(bar.InnerPosition(), 16384);
  bar.Act(ScrollAction::kThumbTrack, 40000);  // beyond the inner range: held at its end
  EXPECT_EQ(bar.Value(), 100000);
  ScrollEvents release = bar.Act(ScrollAction::kThumbPosition, 32767);
  EXPECT_TRUE(release.change);
  EXPECT_FALSE(release.scroll);
  EXPECT_EQ(bar.Value(), 100000);

  // A drag that comes back to where it started changes nothing; one cut short settles.
  bar.Act(ScrollAction::kThumbTrack, 100);
  EXPECT_FALSE(bar.Act(ScrollAction::kThumbPosition, 32767).change);
  bar.Act(ScrollAction::kThumbTrack, 0);
  EXPECT_TRUE(bar.Act(ScrollAction::kEnd, 0).change);
  EXPECT_EQ(bar.Value(), 0);
  EXPECT_FALSE(bar.Act(ScrollAction::kEnd, 0).change);
}

TEST(ScrollBarModel, OddRangesStayWithinThemselves) {
  ScrollBarModel zero;  // one value wide and scaled: no division by zero
  zero.Load(40000, 40000, 7);
  EXPECT_EQ(zero.Value(), 40000);
  EXPECT_FALSE(zero.Act(ScrollAction::kPageDown, 0).change);
  zero.Act(ScrollAction::kThumbTrack, 20000);
  EXPECT_EQ(zero.Value(), 40000);

  ScrollBarModel deep;  // a minimum below the 16-bit positions scales though the maximum is small
  deep.Load(-100000, 100, 0);
  EXPECT_TRUE(deep.Range().Scaled());
  EXPECT_EQ(deep.InnerPosition(), 32734);

  ScrollBarModel wide;  // the full 32-bit span
  wide.Load(INT32_MIN, INT32_MAX, INT32_MAX);
  wide.SetLargeChange(INT32_MAX);
  EXPECT_TRUE(wide.Act(ScrollAction::kPageUp, 0).change);
  EXPECT_EQ(wide.Value(), 0);
  EXPECT_TRUE(wide.Act(ScrollAction::kPageUp, 0).change);
  EXPECT_EQ(wide.Value(), INT32_MIN + 1);
  EXPECT_TRUE(wide.Act(ScrollAction::kLineUp, 0).change);
  EXPECT_EQ(wide.Value(), INT32_MIN);
  EXPECT_EQ(wide.InnerPosition(), 0);

  ScrollBarModel reversed;  // Min above Max: down the bar is toward Max
  reversed.Load(10, 0, 5);
  reversed.SetSmallChange(2);
  reversed.SetSmallChange(-3);  // ignored
  EXPECT_TRUE(reversed.Act(ScrollAction::kLineDown, 0).change);
  EXPECT_EQ(reversed.Value(), 3);
  reversed.Act(ScrollAction::kBottom, 0);
  EXPECT_EQ(reversed.Value(), 0);
  EXPECT_EQ(reversed.InnerPosition(), 32767);
}

}  // namespace
}  // namespace lum
