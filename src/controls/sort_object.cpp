#include "controls/sort_object.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace lum {

SortObject::Search SortObject::Find(std::u16string_view key) const {
  // u16string_view compares char16_t, an unsigned type: exactly the ordinal order wanted.
  int32_t lo = 0;
  int32_t hi = Count() - 1;
  int32_t insertAt = 0;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int c = std::u16string_view(KeyAt(mid)).compare(key);
    if (c < 0) {
      lo = mid + 1;
      insertAt = mid + 1;
    } else if (c == 0) {
      return {true, mid};
    } else {
      hi = mid - 1;
      insertAt = mid;
    }
  }
  return {false, insertAt};
}

int32_t SortObject::Locate(int32_t position) const { return position >= 1 && position <= Count() ? position - 1 : -1; }

int32_t SortObject::Locate(std::u16string_view key) const {
  const Search s = Find(key);
  return s.found ? s.position : -1;
}

bool SortObject::Add(std::u16string_view item, std::u16string_view key) {
  const Search s = Find(key);
  if (s.found) return true;
  if (records_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw std::length_error("SortObject: record count overflows 32 bits");
  records_.push_back({std::u16string(key), std::u16string(item)});
  order_.insert(order_.begin() + s.position, static_cast<int32_t>(records_.size() - 1));
  return false;
}

bool SortObject::EditAt(int32_t at, std::u16string_view newItem) {
  if (at < 0) return true;
  records_[order_[at]].item = newItem;
  return false;
}

bool SortObject::Edit(std::u16string_view newItem, int32_t position) { return EditAt(Locate(position), newItem); }

bool SortObject::Edit(std::u16string_view newItem, std::u16string_view key) { return EditAt(Locate(key), newItem); }

bool SortObject::KeyEditAt(int32_t at, const Search& target, std::u16string_view newKey) {
  if (target.found || at < 0) return true;
  const int32_t record = order_[at];
  // The insertion position was found with the old entry still in place; past it, the entry's
  // own slot vanishes below the target.
  const int32_t to = target.position > at ? target.position - 1 : target.position;
  if (to > at) {
    std::move(order_.begin() + at + 1, order_.begin() + to + 1, order_.begin() + at);
  } else if (to < at) {
    std::move_backward(order_.begin() + to, order_.begin() + at, order_.begin() + at + 1);
  }
  order_[to] = record;
  records_[record].key = newKey;
  return false;
}

bool SortObject::KeyEdit(int32_t oldPosition, std::u16string_view newKey) {
  const Search target = Find(newKey);
  return KeyEditAt(Locate(oldPosition), target, newKey);
}

bool SortObject::KeyEdit(std::u16string_view oldKey, std::u16string_view newKey) {
  const Search target = Find(newKey);
  return KeyEditAt(Locate(oldKey), target, newKey);
}

int32_t SortObject::Exist(int32_t position) const { return Locate(position) + 1; }

int32_t SortObject::Exist(std::u16string_view key) const { return Locate(key) + 1; }

std::u16string SortObject::Item(int32_t position) const {
  const int32_t at = Locate(position);
  return at < 0 ? std::u16string() : records_[order_[at]].item;
}

std::u16string SortObject::Item(std::u16string_view key) const {
  const int32_t at = Locate(key);
  return at < 0 ? std::u16string() : records_[order_[at]].item;
}

std::u16string SortObject::Key(int32_t position) const {
  const int32_t at = Locate(position);
  return at < 0 ? std::u16string() : KeyAt(at);
}

bool SortObject::RemoveAt(int32_t at) {
  if (at < 0) return true;
  if (Count() == 1) {
    ReMoveAll();
    return false;
  }
  // The record stays as a hole; its strings are released now rather than at `Compact`.
  Record& hole = records_[order_[at]];
  std::u16string().swap(hole.key);
  std::u16string().swap(hole.item);
  order_.erase(order_.begin() + at);
  return false;
}

bool SortObject::Remove(int32_t position) { return RemoveAt(Locate(position)); }

bool SortObject::Remove(std::u16string_view key) { return RemoveAt(Locate(key)); }

void SortObject::ReMoveAll() {
  std::vector<Record>().swap(records_);
  std::vector<int32_t>().swap(order_);
}

void SortObject::Compact() {
  if (order_.empty()) return;
  std::vector<Record> compacted;
  compacted.reserve(order_.size());
  for (size_t p = 0; p < order_.size(); ++p) {
    compacted.push_back(std::move(records_[order_[p]]));
    order_[p] = static_cast<int32_t>(p);
  }
  records_.swap(compacted);
}

}  // namespace lum
