// Draws a single line of caption text from glyphs rendered once each: the text layer is made
// again every second while a clock with seconds runs, and the system's text path, cold after
// a second's sleep, cost most of that.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "imaging/memory_canvas.h"

namespace lum {

class GlyphCache {
 public:
  // Draws `text` as DrawTextW does with `format` (a single line, left, right or centred,
  // vertically centred, clipped to `box`), white on the black 32-bit DIB section `canvas`.
  // False, having drawn nothing, where DrawTextW would do more than place glyphs side by side:
  // an ellipsis for a line too long, a prefix character, control characters, surrogates.
  bool Draw(MemoryCanvas& canvas, const std::u16string& text, const RECT& box, UINT format, HFONT font);

 private:
  struct Glyph {
    int advance = 0;
    std::vector<uint8_t> coverage;  // (advance + 2 * pad_) x cellHeight_, the glyph at (pad_, pad_)
  };
  const Glyph* Find(char16_t c);
  bool UseFont(HFONT font);

  LOGFONTW logFont_{};
  bool haveFont_ = false;
  HFONT font_ = nullptr;  // not owned: the caller's, while the glyphs are made
  int lineHeight_ = 0, pad_ = 0, cellHeight_ = 0;
  MemoryCanvas scratch_;
  std::unordered_map<char16_t, Glyph> glyphs_;
};

}  // namespace lum
