#include "imaging/number_array.h"

#include <algorithm>

namespace lum {

namespace {

// Where the value is, or where it belongs in an ascending array.
std::vector<int32_t>::const_iterator Place(const std::vector<int32_t>& numbers, int32_t value, NumberOrder order) {
  if (order == NumberOrder::kAscending) return std::lower_bound(numbers.begin(), numbers.end(), value);
  return std::find(numbers.begin(), numbers.end(), value);
}

}  // namespace

void AddNumber(std::vector<int32_t>& numbers, int32_t value, NumberOrder order) {
  auto place = Place(numbers, value, order);
  if (order == NumberOrder::kAscending) {
    if (place == numbers.end() || *place != value) numbers.insert(place, value);
    return;
  }
  if (place != numbers.end()) numbers.erase(place);
  numbers.push_back(value);
}

int32_t FindNumber(const std::vector<int32_t>& numbers, int32_t value, NumberOrder order) {
  auto place = Place(numbers, value, order);
  if (place == numbers.end() || *place != value) return 0;
  return static_cast<int32_t>(place - numbers.begin()) + 1;
}

bool RemoveNumber(std::vector<int32_t>& numbers, int32_t value, NumberOrder order) {
  const int32_t position = FindNumber(numbers, value, order);
  if (position == 0) return false;
  numbers.erase(numbers.begin() + (position - 1));
  return true;
}

}  // namespace lum
