#include "controls/sort_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace lum {
namespace {

std::vector<std::u16string> Keys(const SortObject& s) {
  std::vector<std::u16string> keys;
  for (int32_t p = 1; p <= s.Count(); ++p) keys.push_back(s.Key(p));
  return keys;
}

std::vector<std::u16string> Items(const SortObject& s) {
  std::vector<std::u16string> items;
  for (int32_t p = 1; p <= s.Count(); ++p) items.push_back(s.Item(p));
  return items;
}

using Texts = std::vector<std::u16string>;

TEST(SortObject, AddKeepsKeyOrderAndRefusesDuplicates) {
  SortObject s;
  EXPECT_FALSE(s.Add(u"1", u"b"));
  EXPECT_FALSE(s.Add(u"2", u"a"));
  EXPECT_FALSE(s.Add(u"3", u"c"));
  EXPECT_EQ(Keys(s), (Texts{u"a", u"b", u"c"}));
  EXPECT_EQ(Items(s), (Texts{u"2", u"1", u"3"}));
  EXPECT_EQ(s.Item(u"b"), u"1");

  EXPECT_TRUE(s.Add(u"other", u"b"));
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(s.RecordCount(), 3);
  EXPECT_EQ(Items(s), (Texts{u"2", u"1", u"3"}));
}

// Every insertion position of the binary search: before, between and after, at every size.
TEST(SortObject, InsertionPositionsMatchASortedList) {
  std::mt19937 rng(1234);
  for (int size = 1; size <= 40; ++size) {
    std::vector<int> numbers(size);
    for (int i = 0; i < size; ++i) numbers[i] = i * 2 + 1;  // gaps between keys for absent lookups
    std::shuffle(numbers.begin(), numbers.end(), rng);
    SortObject s;
    std::map<std::u16string, std::u16string> model;
    for (int n : numbers) {
      std::u16string key(1, static_cast<char16_t>(u'A' + n));
      EXPECT_FALSE(s.Add(key + u"!", key));
      model[key] = key + u"!";
      ASSERT_EQ(s.Count(), static_cast<int32_t>(model.size()));
    }
    int32_t p = 1;
    for (const auto& [key, item] : model) {
      EXPECT_EQ(s.Key(p), key);
      EXPECT_EQ(s.Item(p), item);
      EXPECT_EQ(s.Exist(key), p);
      // Absent keys just below and above each stored key are not found.
      EXPECT_EQ(s.Exist(std::u16string(1, key[0] - 1)), 0);
      EXPECT_EQ(s.Exist(std::u16string(1, key[0] + 1)), 0);
      ++p;
    }
  }
}

TEST(SortObject, OrdinalComparisonOfCodeUnits) {
  SortObject s;
  // Ordinal order: case matters ("Z" before "a"), a prefix comes first, and non-ASCII text
  // sorts by 16-bit code unit, so a surrogate pair (D83D ...) sorts before U+FF21 even though
  // its code point is higher.
  // Among them é, ア, あ, 亜, ｱ, Ａ, an emoji and Ā.
  const Texts added = {u"a",      u"Z",      u"B",      u"ab",         u"\u00e9", u"\u30a2", u"\u3042",
                       u"\u4e9c", u"\uff71", u"\uff21", u"\U0001F600", u"",       u"\u0100"};
  for (const auto& k : added) EXPECT_FALSE(s.Add(u"x", k));
  EXPECT_EQ(Keys(s), (Texts{u"", u"B", u"Z", u"a", u"ab", u"\u00e9", u"\u0100", u"\u3042", u"\u30a2", u"\u4e9c",
                            u"\U0001F600", u"\uff21", u"\uff71"}));
  EXPECT_EQ(s.Exist(u"A"), 0);
  EXPECT_EQ(s.Exist(u"b"), 0);
  EXPECT_EQ(s.Exist(u"\U0001F600"), 11);
  // Channel file names: b, A and a become 1 A, 2 a, 3 b.
  SortObject files;
  files.Add(u"1", u"b.news");
  files.Add(u"2", u"A.news");
  files.Add(u"3", u"a.news");
  EXPECT_EQ(Keys(files), (Texts{u"A.news", u"a.news", u"b.news"}));
  EXPECT_EQ(Items(files), (Texts{u"2", u"3", u"1"}));
}

TEST(SortObject, IntegersArePositionsAndStringsAreKeys) {
  SortObject s;
  s.Add(u"first", u"10");
  s.Add(u"second", u"2");
  s.Add(u"third", u"30");  // key order: "10", "2", "30"
  EXPECT_EQ(s.Item(2), u"second");
  EXPECT_EQ(s.Item(u"2"), u"second");
  EXPECT_EQ(s.Item(1), u"first");
  EXPECT_EQ(s.Item(u"1"), u"");
  EXPECT_EQ(s.ItemIndex(u"2"), 2);
  EXPECT_EQ(s.ItemIndex(u"3"), 0);
  EXPECT_EQ(s.Exist(3), 3);
  EXPECT_EQ(s.Exist(u"3"), 0);

  for (int32_t outside : {0, -1, 4, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(s.Key(outside), u"") << outside;
    EXPECT_EQ(s.Item(outside), u"") << outside;
    EXPECT_EQ(s.Exist(outside), 0) << outside;
    EXPECT_TRUE(s.Edit(u"x", outside)) << outside;
    EXPECT_TRUE(s.Remove(outside)) << outside;
    EXPECT_TRUE(s.KeyEdit(outside, u"new")) << outside;
  }
  const int16_t shortPosition = 3;
  EXPECT_EQ(s.Item(shortPosition), u"third");
  EXPECT_EQ(Items(s), (Texts{u"first", u"second", u"third"}));
}

TEST(SortObject, EditReplacesTheItemOnly) {
  SortObject s;
  s.Add(u"1", u"a");
  s.Add(u"2", u"b");
  EXPECT_FALSE(s.Edit(u"B", u"b"));
  EXPECT_FALSE(s.Edit(u"A", 1));
  EXPECT_TRUE(s.Edit(u"C", u"c"));
  EXPECT_EQ(Keys(s), (Texts{u"a", u"b"}));
  EXPECT_EQ(Items(s), (Texts{u"A", u"B"}));
}

TEST(SortObject, KeyEditMovesTheEntry) {
  auto ace = [] {
    SortObject s;
    s.Add(u"A", u"a");
    s.Add(u"C", u"c");
    s.Add(u"E", u"e");
    return s;
  };
  SortObject s = ace();
  EXPECT_FALSE(s.KeyEdit(u"c", u"b"));  // stays at position 2
  EXPECT_EQ(Keys(s), (Texts{u"a", u"b", u"e"}));
  EXPECT_EQ(s.Item(u"b"), u"C");
  EXPECT_EQ(s.Exist(u"c"), 0);

  s = ace();
  EXPECT_FALSE(s.KeyEdit(u"c", u"f"));  // moves up to the end
  EXPECT_EQ(Keys(s), (Texts{u"a", u"e", u"f"}));
  EXPECT_EQ(Items(s), (Texts{u"A", u"E", u"C"}));

  s = ace();
  EXPECT_FALSE(s.KeyEdit(3, u"0"));  // moves down to the start, by position
  EXPECT_EQ(Keys(s), (Texts{u"0", u"a", u"c"}));
  EXPECT_EQ(Items(s), (Texts{u"E", u"A", u"C"}));

  s = ace();
  EXPECT_FALSE(s.KeyEdit(u"a", u"d"));  // past one neighbour
  EXPECT_EQ(Keys(s), (Texts{u"c", u"d", u"e"}));
  EXPECT_EQ(Items(s), (Texts{u"C", u"A", u"E"}));

  s = ace();
  EXPECT_TRUE(s.KeyEdit(u"c", u"e"));  // the new key exists
  EXPECT_TRUE(s.KeyEdit(u"c", u"c"));  // its own key counts as existing
  EXPECT_TRUE(s.KeyEdit(u"x", u"y"));  // no such entry
  EXPECT_EQ(Keys(s), (Texts{u"a", u"c", u"e"}));
  EXPECT_EQ(Items(s), (Texts{u"A", u"C", u"E"}));
  EXPECT_EQ(s.RecordCount(), 3);
}

TEST(SortObject, RemovingTheLastEntryStartsAfresh) {
  SortObject s;
  s.Add(u"1", u"a");
  s.Add(u"2", u"b");
  EXPECT_TRUE(s.Remove(u"c"));
  EXPECT_FALSE(s.Remove(u"a"));
  EXPECT_EQ(s.Count(), 1);
  EXPECT_EQ(s.RecordCount(), 2);  // a hole stays until Compact
  EXPECT_FALSE(s.Remove(1));
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.RecordCount(), 0);
  EXPECT_EQ(s.Key(1), u"");
  EXPECT_TRUE(s.Remove(1));

  EXPECT_FALSE(s.Add(u"3", u"z"));
  EXPECT_EQ(s.RecordCount(), 1);
  EXPECT_EQ(Keys(s), (Texts{u"z"}));

  s.ReMoveAll();
  EXPECT_EQ(s.Count(), 0);
  s.Compact();  // empty: nothing to do
  EXPECT_EQ(s.RecordCount(), 0);
}

TEST(SortObject, RemoveThenCompactKeepsEntriesAndDropsHoles) {
  SortObject s;
  for (char16_t c : std::u16string(u"qwertyuiop")) s.Add(std::u16string(1, c) + u"-item", std::u16string(1, c));
  EXPECT_FALSE(s.Remove(u"e"));
  EXPECT_FALSE(s.Remove(1));  // "i"
  EXPECT_FALSE(s.KeyEdit(u"w", u"a"));
  const Texts keys = {u"a", u"o", u"p", u"q", u"r", u"t", u"u", u"y"};
  const Texts items = {u"w-item", u"o-item", u"p-item", u"q-item", u"r-item", u"t-item", u"u-item", u"y-item"};
  EXPECT_EQ(Keys(s), keys);
  EXPECT_EQ(Items(s), items);
  EXPECT_EQ(s.Exist(u"t"), 6);
  EXPECT_EQ(s.RecordCount(), 10);

  s.Compact();
  EXPECT_EQ(s.RecordCount(), 8);
  EXPECT_EQ(Keys(s), keys);
  EXPECT_EQ(Items(s), items);
  // The collection keeps working after compaction: new records append after the packed ones.
  EXPECT_FALSE(s.Add(u"b-item", u"b"));
  EXPECT_FALSE(s.Remove(u"q"));
  EXPECT_EQ(s.Item(2), u"b-item");
  EXPECT_EQ(s.Exist(u"y"), 8);
}

// A random sequence of every mutating operation checked against an ordered map.
TEST(SortObject, RandomOperationsMatchAnOrderedMap) {
  std::mt19937 rng(42);
  SortObject s;
  std::map<std::u16string, std::u16string> model;
  auto randomKey = [&] {
    std::u16string key;
    const int len = std::uniform_int_distribution<int>(0, 3)(rng);
    static const char16_t alphabet[] = u"aAbB\u3042\uff71\U0001F600";
    for (int i = 0; i < len; ++i) key += alphabet[std::uniform_int_distribution<int>(0, 7)(rng)];
    return key;
  };
  auto positionOf = [&](const std::u16string& key) {
    return static_cast<int32_t>(std::distance(model.begin(), model.find(key))) + 1;
  };
  for (int step = 0; step < 4000; ++step) {
    const std::u16string key = randomKey();
    const std::u16string item = u"#" + std::u16string(1, static_cast<char16_t>(u'0' + step % 10));
    const bool present = model.count(key) > 0;
    switch (std::uniform_int_distribution<int>(0, 6)(rng)) {
      case 0:
      case 1:
        ASSERT_EQ(s.Add(item, key), present);
        model.emplace(key, item);
        break;
      case 2: {
        ASSERT_EQ(s.Remove(key), !present);
        model.erase(key);
        break;
      }
      case 3: {
        const int32_t position = std::uniform_int_distribution<int32_t>(0, s.Count() + 1)(rng);
        const bool inRange = position >= 1 && position <= s.Count();
        if (inRange) {
          auto it = std::next(model.begin(), position - 1);
          ASSERT_FALSE(s.Remove(position));
          model.erase(it);
        } else {
          ASSERT_TRUE(s.Remove(position));
        }
        break;
      }
      case 4: {
        const std::u16string newKey = randomKey();
        const bool refused = !present || model.count(newKey) > 0;
        ASSERT_EQ(s.KeyEdit(key, newKey), refused);
        if (!refused) {
          model[newKey] = model[key];
          model.erase(key);
        }
        break;
      }
      case 5:
        ASSERT_EQ(s.Edit(item, key), !present);
        if (present) model[key] = item;
        break;
      case 6:
        if (step % 5 == 0) s.Compact();
        break;
    }
    ASSERT_EQ(s.Count(), static_cast<int32_t>(model.size())) << step;
    ASSERT_GE(s.RecordCount(), s.Count());
    if (step % 50 == 0 || model.size() < 3) {
      int32_t p = 1;
      for (const auto& [k, v] : model) {
        ASSERT_EQ(s.Key(p), k) << step;
        ASSERT_EQ(s.Item(p), v) << step;
        ASSERT_EQ(s.Exist(k), positionOf(k)) << step;
        ++p;
      }
    }
  }
}

}  // namespace
}  // namespace lum
