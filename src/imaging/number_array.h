// Number arrays: the list box's sets of row numbers, either in the order they were added
// (unordered) or kept ascending. Positions are 1-based and 0 means "absent", as the list box
// counts them; the storage itself has no unused element.
#pragma once

#include <cstdint>
#include <vector>

namespace lum {

enum class NumberOrder { kUnordered = 0, kAscending = 1 };

// Unordered: moves the value to the end (appending it when absent). Ascending: inserts it at its
// place unless it is already there.
void AddNumber(std::vector<int32_t>& numbers, int32_t value, NumberOrder order);

// The value's 1-based position, or 0 when it is absent (or the array is empty).
int32_t FindNumber(const std::vector<int32_t>& numbers, int32_t value, NumberOrder order);

// Removes the value and closes the gap. An absent value leaves the array as it is; false then.
bool RemoveNumber(std::vector<int32_t>& numbers, int32_t value, NumberOrder order);

}  // namespace lum
