#include "controls/list_model.h"

#include <algorithm>
#include <limits>

namespace lum {

namespace {

// Division rounding toward minus infinity; the divisor is positive.
int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

int32_t Narrow(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

const std::u16string kNoText;

}  // namespace

const std::u16string& ListModel::Text(int32_t item) const {
  return item >= 0 && item < Count() ? texts_[static_cast<size_t>(item)] : kNoText;
}

bool ListModel::Checked(int32_t item) const {
  return item >= 0 && item < Count() && checks_[static_cast<size_t>(item)] != 0;
}

void ListModel::AddItem(const std::u16string& text, int32_t position, bool checked, int32_t count) {
  if (count < 1) return;
  const int32_t oldCount = Count();
  const int32_t at = position <= 0 || position > oldCount + 1 ? oldCount : position - 1;
  // The option mark travels with its item.
  const bool optionMarked = Checked(optionValue_);
  texts_.insert(texts_.begin() + at, static_cast<size_t>(count), text);
  checks_.insert(checks_.begin() + at, static_cast<size_t>(count), checked ? 1 : 0);
  if (listIndex_ >= at) listIndex_ += count;
  if (optionMarked && optionValue_ >= at) optionValue_ += count;
  ShiftIndexes(at, count);
  UpdateScrollRange();
}

void ListModel::RemoveItems(int32_t first, int32_t count) {
  if (first < 0 || first >= Count() || count < 1) return;
  count = std::min(count, Count() - first);
  const int32_t end = first + count;
  texts_.erase(texts_.begin() + first, texts_.begin() + end);
  checks_.erase(checks_.begin() + first, checks_.begin() + end);
  auto follow = [&](int32_t index, int32_t inRemoved) {
    if (index >= end) return index - count;
    return index >= first ? inRemoved : index;
  };
  listIndex_ = std::min(follow(listIndex_, first), Last());
  optionValue_ = follow(optionValue_, 0);
  anchor_ = std::min(follow(anchor_, first), Last());
  std::vector<int32_t> kept;
  for (int32_t item : selection_)
    if (item < first || item >= end) kept.push_back(item >= end ? item - count : item);
  selection_ = std::move(kept);
  if (multiSelect_ == kSingle) RestartSelection(listIndex_);
  UpdateScrollRange();
}

void ListModel::Clear() {
  texts_.clear();
  checks_.clear();
  listIndex_ = -1;
  topRow_ = 0;
  optionValue_ = 0;
  selection_.clear();
  anchor_ = -1;
  UpdateScrollRange();
}

bool ListModel::SetChecked(int32_t item, bool checked) {
  if (item < 0 || item >= Count()) return false;
  checks_[static_cast<size_t>(item)] = checked ? 1 : 0;
  return true;
}

void ListModel::ShiftIndexes(int32_t from, int32_t by) {
  for (int32_t& item : selection_)
    if (item >= from) item += by;
  if (anchor_ >= from) anchor_ += by;
}

void ListModel::SetMetrics(const ListMetrics& metrics) {
  metrics_ = metrics;
  metrics_.itemHeight = std::max<int64_t>(metrics_.itemHeight, 1);
  metrics_.itemWidth = std::max<int64_t>(metrics_.itemWidth, 0);
  metrics_.barWidth = std::max<int64_t>(metrics_.barWidth, 0);
  UpdateScrollRange();
}

int32_t ListModel::VisibleRow() const {
  if (metrics_.itemWidth <= 0) return 1;
  const int64_t inner = metrics_.width - (barVisible_ ? metrics_.barWidth : 0);
  return Narrow(std::max<int64_t>(1, inner / metrics_.itemWidth));
}

bool ListModel::PartialRow() const { return metrics_.height > 0 && metrics_.height % metrics_.itemHeight != 0; }

int32_t ListModel::VisibleCount() const {
  if (metrics_.height <= 0) return 0;
  const int64_t rows = metrics_.height / metrics_.itemHeight + (PartialRow() ? 1 : 0);
  return Narrow(rows * VisibleRow());
}

void ListModel::UpdateScrollRange() {
  const int64_t count = Count();
  // Whether the bar shows is judged on the whole width; once it shows, items that flow across
  // lose its width, so the range is worked out on the narrower layout.
  barVisible_ = false;
  barVisible_ = count > 0 && count >= VisibleCount();
  if (barVisible_) {
    const int64_t visible = VisibleCount(), perRow = VisibleRow();
    const int64_t full = visible - (PartialRow() ? perRow : 0);
    scrollMax_ = Narrow(std::max<int64_t>(0, FloorDiv(count - full - 1, perRow) + 1));
  } else {
    scrollMax_ = 0;
  }
  if (count == 0) listIndex_ = -1;
  SetTopRow(topRow_);
}

void ListModel::SetTopRow(int32_t row) { topRow_ = std::clamp(row, 0, barVisible_ ? scrollMax_ : 0); }

void ListModel::SetTopIndex(int32_t item) { SetTopRow(Narrow(FloorDiv(item, VisibleRow()))); }

int32_t ListModel::PageRows() const {
  const int64_t rows = (static_cast<int64_t>(VisibleCount()) - 1) / VisibleRow();
  return rows > 1 ? Narrow(rows) : 1;
}

int32_t ListModel::PageStep() const {
  const int64_t perRow = VisibleRow();
  return Narrow(std::max<int64_t>(1, (static_cast<int64_t>(VisibleCount()) - 2) / perRow) * perRow);
}

int32_t ListModel::HitTest(int64_t x, int64_t y) const {
  const int64_t perRow = VisibleRow(), top = TopIndex();
  int64_t item = top + FloorDiv(y, metrics_.itemHeight) * perRow;
  if (metrics_.itemWidth > 0) {
    if (x < 0 || x >= metrics_.itemWidth * perRow) return -1;
    item += x / metrics_.itemWidth;
  }
  if (item < top || item >= Count() || item > top + VisibleCount() - 1) return -1;
  return static_cast<int32_t>(item);
}

int32_t ListModel::CellColumn(int32_t item) const {
  const int64_t offset = static_cast<int64_t>(item) - TopIndex();
  return static_cast<int32_t>(offset - FloorDiv(offset, VisibleRow()) * VisibleRow());
}

int32_t ListModel::CellRow(int32_t item) const {
  return Narrow(FloorDiv(static_cast<int64_t>(item) - TopIndex(), VisibleRow()));
}

void ListModel::RestartSelection(int32_t item) {
  if (multiSelect_ != kSingle && multiSelect_ != kExtended) return;
  selection_.clear();
  if (item >= 0) selection_.push_back(item);
  if (multiSelect_ == kExtended) anchor_ = item;
}

void ListModel::SetListIndex(int32_t item) {
  item = std::clamp(item, -1, Last());
  if (item != listIndex_) {
    // A drag keeps the range it is building; a single-choice list always selects its current item.
    if (!held_ || multiSelect_ == kSingle) RestartSelection(item);
    listIndex_ = item;
  }
  // Into view: the item's row becomes the last complete one when it lies below them (a list
  // of a single row counts that row as complete, or no item could ever be seen in it).
  const int64_t top = TopIndex(), perRow = VisibleRow();
  const int64_t fullRows = std::max<int64_t>(1, VisibleCount() / perRow - (PartialRow() ? 1 : 0));
  if (item < top) {
    SetTopIndex(item);
  } else if (item > top + fullRows * perRow - 1) {
    SetTopIndex(Narrow(perRow * (FloorDiv(item, perRow) - fullRows + 1)));
  }
}

bool ListModel::MoveOption(int32_t item) {
  if (item < 0 || item >= Count()) return false;
  if (optionValue_ >= 0 && optionValue_ < Count()) checks_[static_cast<size_t>(optionValue_)] = 0;
  checks_[static_cast<size_t>(item)] = 1;
  optionValue_ = item;
  listIndex_ = item;
  if (multiSelect_ == kSingle) RestartSelection(item);
  return true;
}

void ListModel::SetMultiSelect(int32_t mode) {
  multiSelect_ = mode;
  if (mode == kSingle) RestartSelection(listIndex_);
}

bool ListModel::Selected(int32_t item) const { return std::binary_search(selection_.begin(), selection_.end(), item); }

void ListModel::SelAll() {
  selection_.resize(static_cast<size_t>(Count()));
  for (int32_t i = 0; i < Count(); ++i) selection_[static_cast<size_t>(i)] = i;
}

void ListModel::ExtendTo(int32_t item) {
  if (item < 0 || item >= Count()) return;
  SetListIndex(item);
  if (multiSelect_ != kExtended) return;
  if (anchor_ < 0 || anchor_ >= Count()) anchor_ = item;
  selection_.clear();
  for (int32_t i = std::min(anchor_, item); i <= std::max(anchor_, item); ++i) selection_.push_back(i);
}

bool ListModel::Navigate(Key key) {
  const int32_t index = listIndex_, count = Count(), perRow = VisibleRow();
  switch (key) {
    case Key::kDown:
      if (static_cast<int64_t>(index) <= static_cast<int64_t>(count) - perRow) SetListIndex(index + perRow);
      return true;
    case Key::kUp:
      if (index >= perRow) SetListIndex(index - perRow);
      return true;
    case Key::kLeft:
      if (index > 0) SetListIndex(index - 1);
      return true;
    case Key::kRight:
      if (index + 1 != count) SetListIndex(index + 1);
      return true;
    case Key::kPageUp:
      SetListIndex(static_cast<int32_t>(std::max<int64_t>(0, static_cast<int64_t>(index) - PageStep())));
      return true;
    case Key::kPageDown:
      SetListIndex(static_cast<int32_t>(std::min<int64_t>(Last(), static_cast<int64_t>(index) + PageStep())));
      return true;
    case Key::kHome:
      SetListIndex(0);
      return false;
    case Key::kEnd:
      SetListIndex(Last());
      return false;
  }
  return false;
}

}  // namespace lum
