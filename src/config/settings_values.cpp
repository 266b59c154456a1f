#include "config/settings_values.h"

#include <cmath>
#include <limits>
#include <string>

namespace lum {

namespace {
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

template <typename T>
std::optional<T> ToInteger(std::u16string_view text) {
  auto number = ParseNumber(text);
  if (!number) return std::nullopt;
  double rounded = std::nearbyint(*number);  // the default rounding mode rounds half to even
  if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<T>::max()))
    return std::nullopt;
  return static_cast<T>(rounded);
}
}  // namespace

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseNumber(std::u16string_view text) {
  text = TrimBlanks(text);
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  double value = 0;
  size_t digits = 0;
  // Long digit runs are accumulated exactly enough for the range test: anything past
  // 2^53 is far outside 32 bits anyway.
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) value = value * 10 + (text[i] - u'0');
  if (i < text.size() && text[i] == u'.') {
    ++i;
    double scale = 0.1;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits, scale /= 10) value += (text[i] - u'0') * scale;
  }
  if (digits == 0 || i != text.size()) return std::nullopt;
  return negative ? -value : value;
}

bool IsNumeric(std::u16string_view text) { return ParseNumber(text).has_value(); }

std::optional<int32_t> ToInt32(std::u16string_view text) { return ToInteger<int32_t>(text); }
std::optional<int16_t> ToInt16(std::u16string_view text) { return ToInteger<int16_t>(text); }

int32_t IntOrZero(std::u16string_view text) { return ToInt32(text).value_or(0); }

std::u16string ToDecimal(int64_t value) {
  std::string narrow = std::to_string(value);
  return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace lum
