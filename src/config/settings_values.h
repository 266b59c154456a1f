// Conversions of LUM.ini values. The file holds text; the program reads integers out of it
// strictly: a value is a whole decimal number (blanks around it allowed) or it is not a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lum {

// Trims blanks (spaces and tabs) from both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

// A decimal number: optional sign, digits with an optional fraction. Nothing else.
std::optional<double> ParseNumber(std::u16string_view text);
bool IsNumeric(std::u16string_view text);

// The number rounded half to even, when it fits the width; nothing otherwise.
std::optional<int32_t> ToInt32(std::u16string_view text);
std::optional<int16_t> ToInt16(std::u16string_view text);

// "Read as an integer": an empty or non-numeric text gives 0.
int32_t IntOrZero(std::u16string_view text);

std::u16string ToDecimal(int64_t value);

}  // namespace lum
