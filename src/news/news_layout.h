// News text as the ticker shows it: widened to full-width forms, spaced and cut into lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lum {

// Every half-width character in its full-width form: ASCII letters, digits and symbols,
// the space (to U+3000) and half-width katakana (a following voiced or semi-voiced mark is
// composed with it where a composed form exists). Control characters stay.
std::u16string WidenText(std::u16string_view text);

// The laid-out news and its lines; entry 0 of `lines` stays empty.
struct NewsLayout {
  std::u16string text;
  std::vector<std::u16string> lines;
};

// Replaces `text` with its widened form and lays it out: each character but LF is preceded
// by one ASCII space; LF becomes CR LF and four spaces and starts a new line.
NewsLayout LayoutNewsText(std::u16string& text);

// A text file read item by item as comma-separated text input: leading blanks skipped, an
// item ends at a comma or a line end, a double-quoted item keeps its commas and loses its
// quotes. Each item is followed by CR LF.
std::u16string CsvItemsToText(std::u16string_view content);

}  // namespace lum
