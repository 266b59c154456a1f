// The extended list box without its window: items and their check states, the list index,
// the option mark, the selection, and the layout arithmetic (rows, scroll range, hit test,
// keyboard steps). Sizes are in the surface's units (the list gives pixels); every division
// is guarded, whatever the sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lum {

struct ListMetrics {
  int64_t width = 0;       // the surface's inner width
  int64_t height = 0;      // the surface's inner height
  int64_t itemHeight = 1;  // one row; the owner keeps it a whole number of pixels
  int64_t itemWidth = 0;   // 0: one item per row; otherwise items flow in cells this wide
  int64_t barWidth = 0;    // the scroll bar's width, taken from the width while it shows
};

class ListModel {
 public:
  enum MultiSelectMode : int32_t { kSingle = 0, kExtended = 2 };
  enum class Key { kDown, kUp, kLeft, kRight, kPageUp, kPageDown, kHome, kEnd };

  // Items.
  int32_t Count() const { return static_cast<int32_t>(texts_.size()); }
  const std::u16string& Text(int32_t item) const;
  bool Checked(int32_t item) const;
  // Inserts `count` items at the 1-based position (0, or past the end: at the end).
  void AddItem(const std::u16string& text, int32_t position = 0, bool checked = false, int32_t count = 1);
  // Removes up to `count` items from the 0-based item `first`.
  void RemoveItems(int32_t first, int32_t count);
  void Clear();
  // Sets one check state; false when the item does not exist.
  bool SetChecked(int32_t item, bool checked);

  // Layout.
  void SetMetrics(const ListMetrics& metrics);
  const ListMetrics& Metrics() const { return metrics_; }
  int32_t VisibleRow() const;    // items per visual row, at least 1
  int32_t VisibleCount() const;  // items on screen, a partial last row included
  bool PartialRow() const;
  int32_t TopIndex() const { return topRow_ * VisibleRow(); }
  int32_t TopRow() const { return topRow_; }
  // Scrolls to the row holding `item`, limited to the scroll range.
  void SetTopIndex(int32_t item);
  void SetTopRow(int32_t row);
  bool BarVisible() const { return barVisible_; }
  void SetBarVisible(bool visible) { barVisible_ = visible; }
  int32_t ScrollMax() const { return scrollMax_; }
  // Recomputes the bar's visibility and maximum from the count and layout.
  void UpdateScrollRange();
  // The bar's large change: about a page of rows, at least 1.
  int32_t PageRows() const;
  // Items moved by Page Up and Page Down: at least one row.
  int32_t PageStep() const;
  // The item under a point of the surface, or -1.
  int32_t HitTest(int64_t x, int64_t y) const;
  // The cell of a visible item: column and row on screen.
  int32_t CellColumn(int32_t item) const;
  int32_t CellRow(int32_t item) const;

  // Current item, option mark, selection.
  int32_t ListIndex() const { return listIndex_; }
  // Clamps, restarts the selection (unless the button is held) and scrolls the item into view.
  void SetListIndex(int32_t item);
  int32_t OptionValue() const { return optionValue_; }
  // Moves the option mark: clears the old item's check, sets the new one's, makes it the list
  // index without touching selection or scrolling. False for an item that does not exist.
  bool MoveOption(int32_t item);
  int32_t MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(int32_t mode);
  bool Selected(int32_t item) const;
  const std::vector<int32_t>& SelArray() const { return selection_; }
  int32_t SelCount() const { return static_cast<int32_t>(selection_.size()); }
  void SelAll();
  // Extended select: everything from the anchor to `item`, which becomes the list index.
  void ExtendTo(int32_t item);
  bool Held() const { return held_; }
  void SetHeld(bool held) { held_ = held; }

  // Arrow, page, Home and End keys. True when the key raises Click.
  bool Navigate(Key key);

 private:
  void ShiftIndexes(int32_t from, int32_t by);
  void RestartSelection(int32_t item);
  int32_t Last() const { return Count() - 1; }

  std::vector<std::u16string> texts_;
  std::vector<uint16_t> checks_;
  ListMetrics metrics_;
  int32_t topRow_ = 0;
  int32_t scrollMax_ = 0;
  bool barVisible_ = false;
  int32_t listIndex_ = -1;
  int32_t optionValue_ = 0;
  int32_t multiSelect_ = kSingle;
  std::vector<int32_t> selection_;  // ascending
  int32_t anchor_ = -1;
  bool held_ = false;
};

}  // namespace lum
