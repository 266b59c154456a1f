// PropertyBag: the saved properties of one of the program's own controls. The owning dialog
// fills it before the control reads it and reads it back after the control wrote it; a name
// that is absent reads as the default the caller gives, so a bag never needs every property.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace lum {

class PropertyBag {
 public:
  using Value = std::variant<int64_t, std::u16string>;

  void WriteInt(const std::string& name, int64_t value) { values_[name] = value; }
  void WriteBool(const std::string& name, bool value) { values_[name] = int64_t{value ? -1 : 0}; }
  void WriteText(const std::string& name, std::u16string value) { values_[name] = std::move(value); }

  // A value of the wrong kind reads as the default, as an absent one does.
  int64_t ReadInt(const std::string& name, int64_t fallback) const {
    auto found = values_.find(name);
    if (found == values_.end()) return fallback;
    const int64_t* value = std::get_if<int64_t>(&found->second);
    return value ? *value : fallback;
  }
  bool ReadBool(const std::string& name, bool fallback) const { return ReadInt(name, fallback ? -1 : 0) != 0; }
  std::u16string ReadText(const std::string& name, const std::u16string& fallback) const {
    auto found = values_.find(name);
    if (found == values_.end()) return fallback;
    const std::u16string* value = std::get_if<std::u16string>(&found->second);
    return value ? *value : fallback;
  }

  bool Contains(const std::string& name) const { return values_.count(name) != 0; }
  void Remove(const std::string& name) { values_.erase(name); }
  size_t size() const { return values_.size(); }

  // Writes the value only when it differs from the default and drops a stale one otherwise,
  // so that a bag holds just what a user changed.
  void WriteIntUnlessDefault(const std::string& name, int64_t value, int64_t fallback) {
    if (value == fallback)
      Remove(name);
    else
      WriteInt(name, value);
  }
  void WriteBoolUnlessDefault(const std::string& name, bool value, bool fallback) {
    WriteIntUnlessDefault(name, value ? -1 : 0, fallback ? -1 : 0);
  }
  void WriteTextUnlessDefault(const std::string& name, const std::u16string& value, const std::u16string& fallback) {
    if (value == fallback)
      Remove(name);
    else
      WriteText(name, value);
  }

 private:
  std::map<std::string, Value> values_;
};

}  // namespace lum
