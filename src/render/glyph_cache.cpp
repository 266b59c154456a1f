#include "render/glyph_cache.h"

#include <algorithm>
#include <cstring>

#include "imaging/dc_helpers.h"
#include "platform/scoped_win.h"

namespace lum {

namespace {
// Enough glyphs for any title's characters; past it the cache starts again.
constexpr size_t kMostGlyphs = 1024;
}  // namespace

bool GlyphCache::UseFont(HFONT font) {
  LOGFONTW wanted{};
  if (!font || !GetObjectW(font, sizeof wanted, &wanted)) return false;
  font_ = font;
  if (haveFont_ && std::memcmp(&wanted, &logFont_, sizeof wanted) == 0) return true;
  glyphs_.clear();
  haveFont_ = false;
  logFont_ = wanted;
  ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
  ScopedMemoryDC measure(screen.get());
  ScopedSelect selected(measure.get(), font);
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(measure.get(), &metrics) || metrics.tmHeight <= 0) return false;
  lineHeight_ = metrics.tmHeight;
  // Room around each glyph for what reaches past its cell (overhangs, accents).
  pad_ = std::max<int>(2, metrics.tmHeight / 2);
  cellHeight_ = metrics.tmHeight + 2 * pad_;
  haveFont_ = true;
  return true;
}

const GlyphCache::Glyph* GlyphCache::Find(char16_t c) {
  if (auto it = glyphs_.find(c); it != glyphs_.end()) return &it->second;
  if (glyphs_.size() >= kMostGlyphs) glyphs_.clear();
  const wchar_t wide = static_cast<wchar_t>(c);
  Glyph glyph;
  {
    ScopedWindowDC screen(nullptr, ScopedWindowDC::kClient);
    ScopedMemoryDC measure(screen.get());
    ScopedSelect selected(measure.get(), font_);
    SIZE size{};
    if (!GetTextExtentPoint32W(measure.get(), &wide, 1, &size)) return nullptr;
    glyph.advance = size.cx;
  }
  const int width = glyph.advance + 2 * pad_;
  if (scratch_.width() < width || scratch_.height() < cellHeight_)
    scratch_.FitDib(std::max(width, scratch_.width()), std::max(cellHeight_, scratch_.height()));
  HDC dc = scratch_.dc();
  if (!dc) return nullptr;
  FillSolid(dc, RECT{0, 0, scratch_.width(), scratch_.height()}, 0);
  {
    ScopedSelect selected(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    if (!ExtTextOutW(dc, pad_, pad_, 0, nullptr, &wide, 1, nullptr)) return nullptr;
  }
  GdiFlush();
  glyph.coverage.resize(static_cast<size_t>(width) * cellHeight_);
  for (int y = 0; y < cellHeight_; ++y)
    for (int x = 0; x < width; ++x)
      glyph.coverage[static_cast<size_t>(y) * width + x] =
          static_cast<uint8_t>(scratch_.bits()[static_cast<size_t>(y) * scratch_.width() + x] >> 8);
  return &glyphs_.emplace(c, std::move(glyph)).first->second;
}

bool GlyphCache::Draw(MemoryCanvas& canvas, const std::u16string& text, const RECT& box, UINT format, HFONT font) {
  if (text.empty() || !canvas.bits() || !UseFont(font)) return false;
  // Only single lines DrawTextW lays out by their glyphs' advances alone.
  if ((format & ~(DT_LEFT | DT_CENTER | DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS)) != 0 ||
      !(format & DT_SINGLELINE))
    return false;
  std::vector<const Glyph*> line;
  line.reserve(text.size());
  int width = 0;
  for (char16_t c : text) {
    if (c < 0x20 || c == u'&' || (c >= 0xD800 && c <= 0xDFFF)) return false;
    const Glyph* glyph = Find(c);
    if (!glyph) return false;
    line.push_back(glyph);
    width += glyph->advance;
  }
  // A line too long for the box gets DrawTextW's ellipsis.
  if (width > box.right - box.left) return false;
  int x = box.left;
  if (format & DT_CENTER)
    x = (box.left + box.right - width) / 2;
  else if (format & DT_RIGHT)
    x = box.right - width;
  const int y = (format & DT_VCENTER) ? box.top + (box.bottom - box.top) / 2 - lineHeight_ / 2 : box.top;
  RECT clip{};
  const RECT whole{0, 0, canvas.width(), canvas.height()};
  IntersectRect(&clip, &box, &whole);
  for (const Glyph* glyph : line) {
    const int cellWidth = glyph->advance + 2 * pad_, left = x - pad_, top = y - pad_;
    for (int row = std::max<int>(0, clip.top - top); row < cellHeight_ && top + row < clip.bottom; ++row) {
      uint32_t* out = canvas.bits() + static_cast<size_t>(top + row) * canvas.width();
      const uint8_t* in = glyph->coverage.data() + static_cast<size_t>(row) * cellWidth;
      for (int col = std::max<int>(0, clip.left - left); col < cellWidth && left + col < clip.right; ++col) {
        const uint32_t a = in[col];
        if (a == 0) continue;
        // White over what earlier glyphs left, as text is drawn in one pass.
        const uint32_t old = (out[left + col] >> 8) & 0xFF, v = old + (255 - old) * a / 255;
        out[left + col] = v << 16 | v << 8 | v;
      }
    }
    x += glyph->advance;
  }
  return true;
}

}  // namespace lum
