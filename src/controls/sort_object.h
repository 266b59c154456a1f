// SortObject: pairs of strings (a key and an item text) kept in ascending key order with unique
// keys, reached by key or by 1-based position in key order. The channel set-up uses it to walk
// the files of a folder in name order.
//
// Keys compare ordinally: code unit by code unit as unsigned 16-bit values, a prefix first, so
// "B" sorts before "a". Where an operation takes a key argument, the integer overload is a
// position and the string overload a key; callers holding some other value pass its text.
// Failure is reported through results only: true from the Boolean operations (as the channel
// code expects), 0 from the position lookups, an empty string from `Item` and `Key`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lum {

class SortObject {
 public:
  // Inserts the entry at its place in key order. True, and nothing changes, when the key exists.
  bool Add(std::u16string_view item, std::u16string_view key);

  // Replaces the item text. True when there is no such entry.
  bool Edit(std::u16string_view newItem, int32_t position);
  bool Edit(std::u16string_view newItem, std::u16string_view key);

  // Gives an entry a new key and moves it to the new key's place; its item text stays. True,
  // and nothing changes, when the new key already exists (the entry's own key included) or
  // there is no such entry.
  bool KeyEdit(int32_t oldPosition, std::u16string_view newKey);
  bool KeyEdit(std::u16string_view oldKey, std::u16string_view newKey);

  // The entry's 1-based position, or 0.
  int32_t Exist(int32_t position) const;
  int32_t Exist(std::u16string_view key) const;
  int32_t ItemIndex(std::u16string_view key) const { return Exist(key); }

  std::u16string Item(int32_t position) const;
  std::u16string Item(std::u16string_view key) const;

  // The key at a position, or an empty string outside 1..Count().
  std::u16string Key(int32_t position) const;

  // True when there is no such entry. Removing the last entry is `ReMoveAll`.
  bool Remove(int32_t position);
  bool Remove(std::u16string_view key);

  // Empties the collection and frees its storage.
  void ReMoveAll();

  // Rewrites the record store in key order, dropping the holes that removals left.
  void Compact();

  int32_t Count() const { return static_cast<int32_t>(order_.size()); }
  // Records held, holes included; equals Count() after `Compact`.
  int32_t RecordCount() const { return static_cast<int32_t>(records_.size()); }

 private:
  struct Record {
    std::u16string key;
    std::u16string item;
  };
  struct Search {
    bool found;
    int32_t position;  // 0-based: where the key is, or where it would be inserted
  };

  Search Find(std::u16string_view key) const;
  // 0-based position of a key argument, or -1 when absent.
  int32_t Locate(int32_t position) const;
  int32_t Locate(std::u16string_view key) const;

  bool EditAt(int32_t at, std::u16string_view newItem);
  bool KeyEditAt(int32_t at, const Search& target, std::u16string_view newKey);
  bool RemoveAt(int32_t at);
  const std::u16string& KeyAt(int32_t at) const { return records_[order_[at]].key; }

  // Records are appended and stay where they are until `Compact`; a removed entry's record
  // stays behind as a hole. The order index names the record at each position.
  std::vector<Record> records_;
  std::vector<int32_t> order_;
};

}  // namespace lum
