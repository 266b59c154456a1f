#include "news/news_layout.h"

namespace lum {

namespace {

// Full-width katakana for the half-width forms U+FF61..U+FF9F, in order.
constexpr char16_t kFullWidthKana[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    u"ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof kFullWidthKana / sizeof(char16_t) - 1 == 0xFF9F - 0xFF61 + 1);

constexpr char16_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char16_t kSemiVoicedMark = 0xFF9F;  // ﾟ

bool TakesVoicedMark(char16_t kana) { return std::u16string_view(u"カキクケコサシスセソタチツテトハヒフヘホウ").find(kana) != std::u16string_view::npos; }

// ハ, ヒ, フ, ヘ, ホ: each is followed by its voiced and semi-voiced forms.
bool TakesSemiVoicedMark(char16_t kana) { return std::u16string_view(u"ハヒフヘホ").find(kana) != std::u16string_view::npos; }

char16_t Voiced(char16_t kana) { return kana == u'ウ' ? u'ヴ' : static_cast<char16_t>(kana + 1); }

}  // namespace

std::u16string WidenText(std::u16string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u' ') {
      wide += u'\u3000';
    } else if (c >= 0x21 && c <= 0x7E) {
      wide += static_cast<char16_t>(c + 0xFEE0);
    } else if (c >= 0xFF61 && c <= 0xFF9F) {
      char16_t kana = kFullWidthKana[c - 0xFF61];
      char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
      if (next == kVoicedMark && TakesVoicedMark(kana)) {
        kana = Voiced(kana);
        ++i;
      } else if (next == kSemiVoicedMark && TakesSemiVoicedMark(kana)) {
        kana = static_cast<char16_t>(kana + 2);
        ++i;
      }
      wide += kana;
    } else {
      wide += c;
    }
  }
  return wide;
}

NewsLayout LayoutNewsText(std::u16string& text) {
  text = WidenText(text);
  NewsLayout layout;
  layout.lines.assign(2, std::u16string());
  for (char16_t c : text) {
    if (c == u'\n') {
      layout.text += u"\r\n    ";
      layout.lines.emplace_back();
    } else {
      layout.text += u' ';
      layout.text += c;
      layout.lines.back() += u' ';
      layout.lines.back() += c;
    }
  }
  return layout;
}

std::u16string CsvItemsToText(std::u16string_view content) {
  std::u16string result;
  size_t i = 0;
  const size_t n = content.size();
  auto atLineEnd = [&](size_t at) { return at < n && (content[at] == u'\r' || content[at] == u'\n'); };
  auto skipLineEnd = [&]() {
    if (i < n && content[i] == u'\r') ++i;
    if (i < n && content[i] == u'\n') ++i;
  };
  while (i < n) {
    while (i < n && (content[i] == u' ' || content[i] == u'\t')) ++i;
    if (i >= n) break;
    std::u16string item;
    if (content[i] == u'"') {
      ++i;
      while (i < n && content[i] != u'"') item += content[i++];
      if (i < n) ++i;  // the closing quote; what follows up to the delimiter is dropped
      while (i < n && content[i] != u',' && !atLineEnd(i)) ++i;
    } else {
      while (i < n && content[i] != u',' && !atLineEnd(i)) item += content[i++];
      while (!item.empty() && (item.back() == u' ' || item.back() == u'\t')) item.pop_back();
    }
    if (i < n && content[i] == u',')
      ++i;
    else
      skipLineEnd();
    result += item;
    result += u"\r\n";
  }
  return result;
}

}  // namespace lum
