#include "imaging/number_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace lum {
namespace {

using Numbers = std::vector<int32_t>;

TEST(NumberArray, BothOrdersAddFindAndRemove) {
  struct Case {
    NumberOrder order;
    Numbers afterAdding;
  } cases[] = {{NumberOrder::kAscending, {3, 5, 9}}, {NumberOrder::kUnordered, {5, 9, 3}}};
  for (const Case& c : cases) {
    Numbers numbers;
    EXPECT_EQ(FindNumber(numbers, 3, c.order), 0);
    EXPECT_FALSE(RemoveNumber(numbers, 3, c.order));  // an empty array stays empty
    EXPECT_TRUE(numbers.empty());
    for (int32_t v : {5, 3, 9, 3}) AddNumber(numbers, v, c.order);
    ASSERT_EQ(numbers, c.afterAdding);
    for (size_t i = 0; i < numbers.size(); ++i)
      EXPECT_EQ(FindNumber(numbers, numbers[i], c.order), static_cast<int32_t>(i) + 1);
    for (int32_t absent : {0, 1, 4, 10, -7}) {
      EXPECT_EQ(FindNumber(numbers, absent, c.order), 0);
      EXPECT_FALSE(RemoveNumber(numbers, absent, c.order));
      EXPECT_EQ(numbers, c.afterAdding);  // absent removal changes nothing
    }
    EXPECT_TRUE(RemoveNumber(numbers, 5, c.order));
    Numbers expected = c.afterAdding;
    expected.erase(std::find(expected.begin(), expected.end(), 5));
    EXPECT_EQ(numbers, expected);
  }
}

// The ascending search against a plain linear scan over arrays of every small length, so that
// the first and last positions and single-element arrays are all met.
TEST(NumberArray, AscendingSearchAgreesWithALinearScan) {
  std::mt19937 random(8);
  for (int round = 0; round < 2000; ++round) {
    Numbers ascending, unordered;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      int32_t v = static_cast<int32_t>(random() % 30) - 10;
      AddNumber(ascending, v, NumberOrder::kAscending);
      AddNumber(unordered, v, NumberOrder::kUnordered);
    }
    ASSERT_TRUE(std::is_sorted(ascending.begin(), ascending.end()));
    ASSERT_EQ(std::adjacent_find(ascending.begin(), ascending.end()), ascending.end());
    for (int32_t v = -12; v <= 21; ++v) {
      const bool present = FindNumber(unordered, v, NumberOrder::kUnordered) != 0;
      const int32_t at = FindNumber(ascending, v, NumberOrder::kAscending);
      ASSERT_EQ(at != 0, present) << v;
      if (present) {
        ASSERT_EQ(ascending[at - 1], v);
      }
    }
  }
}

}  // namespace
}  // namespace lum
