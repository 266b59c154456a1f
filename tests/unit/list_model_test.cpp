// The extended list's model: layout, scroll range, hit test, keyboard steps, and the item,
// option and selection bookkeeping when items come and go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/list_model.h"

namespace {

using lum::ListMetrics;
using lum::ListModel;
using Key = ListModel::Key;

ListModel Filled(int count, ListMetrics metrics) {
  ListModel list;
  list.SetMetrics(metrics);
  for (int i = 0; i < count; ++i) list.AddItem(u"item " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
  return list;
}

TEST(ListModel, LayoutAndScrollRange) {
  struct Case {
    const char* what;
    int count;
    ListMetrics metrics;
    int visibleRow, visibleCount;
    bool bar;
    int max;
  };
  const Case cases[] = {
      {"empty list", 0, {3000, 2280, 240, 0, 255}, 1, 10, false, 0},
      {"nine and a half rows, ten items", 10, {3000, 2280, 240, 0, 255}, 1, 10, true, 1},
      {"exact fit: the numerator -1 floors", 10, {3000, 2400, 240, 0, 255}, 1, 10, true, 0},
      {"one item more than fits", 11, {3000, 2400, 240, 0, 255}, 1, 10, true, 1},
      {"nine items in nine and a half rows", 9, {3000, 2280, 240, 0, 255}, 1, 10, false, 0},
      {"three across, bar shown", 30, {1500 + 255, 2400, 240, 500, 255}, 3, 30, true, 0},
      {"three across, a partial row", 31, {1500 + 255, 2280, 240, 500, 255}, 3, 30, true, 2},
      {"a cell wider than the list", 5, {300, 480, 240, 5000, 255}, 1, 2, true, 3},
      {"zero sizes divide by nothing", 5, {0, 0, 0, 0, 0}, 1, 0, true, 5},
      // The item that makes the bar appear narrows the rows at once: item 6 can be scrolled to.
      {"seven across a 700-wide list", 7, {700, 100, 100, 100, 20}, 6, 6, true, 1},
  };
  for (const Case& c : cases) {
    ListModel list = Filled(c.count, c.metrics);
    EXPECT_EQ(list.VisibleRow(), c.visibleRow) << c.what;
    EXPECT_EQ(list.VisibleCount(), c.visibleCount) << c.what;
    EXPECT_EQ(list.BarVisible(), c.bar) << c.what;
    EXPECT_EQ(list.ScrollMax(), c.max) << c.what;
    EXPECT_GE(list.PageRows(), 1) << c.what;
    EXPECT_GE(list.PageStep(), list.VisibleRow()) << c.what;
  }
}

TEST(ListModel, ListIndexClampsSelectsAndScrollsIntoView) {
  ListModel list = Filled(10, {3000, 2280, 240, 0, 255});
  EXPECT_EQ(list.ListIndex(), -1);
  list.SetListIndex(9);
  EXPECT_EQ(list.TopIndex(), 1);  // item 9 sits in the last complete row
  EXPECT_EQ(list.SelArray(), std::vector<int32_t>{9});
  list.SetListIndex(0);
  EXPECT_EQ(list.TopIndex(), 0);
  for (int below : {-2, -7, -2147483647 - 1}) {
    list.SetListIndex(below);
    EXPECT_EQ(list.ListIndex(), -1) << below;
    EXPECT_EQ(list.SelCount(), 0);
  }
  list.SetListIndex(500);
  EXPECT_EQ(list.ListIndex(), 9);
  list.SetTopIndex(100);
  EXPECT_EQ(list.TopIndex(), 1);  // limited to the scroll range
}

TEST(ListModel, HitTestAndKeysOnAMultiColumnList) {
  ListModel list = Filled(10, {1500 + 255, 480, 240, 500, 255});  // three across, two rows
  list.SetBarVisible(true);
  list.SetMetrics({1500 + 255, 480, 240, 500, 255});
  ASSERT_EQ(list.VisibleRow(), 3);
  EXPECT_EQ(list.HitTest(10, 10), 0);
  EXPECT_EQ(list.HitTest(1200, 300), 5);
  EXPECT_EQ(list.HitTest(1600, 10), -1);  // right of the cells
  EXPECT_EQ(list.HitTest(10, 500), -1);   // below the visible rows
  EXPECT_EQ(list.HitTest(10, -1), -1);

  struct Step {
    Key key;
    int index;
    bool click;
  };
  const Step steps[] = {{Key::kDown, 2, true},      {Key::kDown, 5, true},   {Key::kRight, 6, true},
                        {Key::kDown, 9, true},      {Key::kDown, 9, true},   {Key::kEnd, 9, false},
                        {Key::kUp, 6, true},        {Key::kLeft, 5, true},   {Key::kHome, 0, false},
                        {Key::kLeft, 0, true},      {Key::kPageDown, 3, true}, {Key::kPageUp, 0, true}};
  for (const Step& s : steps) {
    EXPECT_EQ(list.Navigate(s.key), s.click);
    EXPECT_EQ(list.ListIndex(), s.index) << static_cast<int>(s.key);
    EXPECT_LE(list.TopIndex(), list.ListIndex());
  }

  // A one-row list still pages by a row.
  ListModel oneRow = Filled(4, {3000, 240, 240, 0, 255});
  oneRow.SetListIndex(0);
  oneRow.Navigate(Key::kPageDown);
  EXPECT_EQ(oneRow.ListIndex(), 1);
  EXPECT_EQ(oneRow.TopIndex(), 1);
}

TEST(ListModel, ItemsOptionMarkAndSelectionStayConsistent) {
  ListModel list = Filled(3, {3000, 2400, 240, 0, 255});
  EXPECT_FALSE(list.MoveOption(5));  // ignored on a 3-item list
  EXPECT_EQ(list.OptionValue(), 0);
  EXPECT_FALSE(list.Checked(0));
  ASSERT_TRUE(list.MoveOption(1));
  list.SetListIndex(2);
  list.AddItem(u"new", 1, false, 3);  // three at the front
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Text(2), u"new");
  EXPECT_EQ(list.ListIndex(), 5);
  EXPECT_EQ(list.OptionValue(), 4);
  EXPECT_TRUE(list.Checked(4));
  EXPECT_EQ(list.SelArray(), std::vector<int32_t>{5});

  list.SetMultiSelect(ListModel::kExtended);
  list.SetListIndex(1);
  list.SetHeld(true);
  list.ExtendTo(4);
  list.SetHeld(false);
  EXPECT_EQ(list.SelArray(), (std::vector<int32_t>{1, 2, 3, 4}));
  list.RemoveItems(2, 100);  // clamped to the four from item 2
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.ListIndex(), 1);
  EXPECT_EQ(list.SelArray(), std::vector<int32_t>{1});
  EXPECT_EQ(list.OptionValue(), 0);  // the marked item went
  list.RemoveItems(-1, 1);
  list.RemoveItems(0, 0);
  EXPECT_EQ(list.Count(), 2);
  list.SelAll();
  EXPECT_EQ(list.SelCount(), 2);
  list.Clear();
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_FALSE(list.BarVisible());
}

}  // namespace
