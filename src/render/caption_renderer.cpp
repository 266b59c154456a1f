#include "render/caption_renderer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/dc_helpers.h"
#include "platform/scoped_win.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "render/repaint_cycle.h"

namespace lum {

bool IsPaintableWindow(HWND window) {
  char className[128] = {};
  const int length = GetClassNameA(window, className, sizeof className);
  return IsPaintableClass(CleanClassName(FromAnsi(std::string_view(className, length > 0 ? length : 0))));
}

namespace {
// Calls of Windows 10 (1607 and later), looked up once: older systems lay everything out at
// the system's DPI.
template <typename Fn>
Fn User32Call(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
}  // namespace

unsigned SystemDpi() {
  static const unsigned dpi = [] {
    static const auto getDpiForSystem = User32Call<GetDpiForSystemFn>("GetDpiForSystem");
    const int screen = getDpiForSystem ? static_cast<int>(getDpiForSystem()) : ScreenDpi(LOGPIXELSY);
    return screen > 0 ? static_cast<unsigned>(screen) : 96u;
  }();
  return dpi;
}

unsigned WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Call<GetDpiForWindowFn>("GetDpiForWindow");
  const unsigned dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

CaptionMetrics CaptionMetrics::Read(unsigned dpi) {
  static const auto forDpi = User32Call<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  // At the system's DPI the system's own answers are exact; others are asked for the DPI.
  auto metric = [dpi](int index) { return dpi && forDpi ? forDpi(index, dpi) : GetSystemMetrics(index); };
  CaptionMetrics m;
  m.frame.cxFrame = metric(SM_CXFRAME);
  m.frame.cyFrame = metric(SM_CYFRAME);
  m.frame.cxDlgFrame = metric(SM_CXDLGFRAME);
  m.frame.cyDlgFrame = metric(SM_CYDLGFRAME);
  m.frame.cyCaption = metric(SM_CYCAPTION);
  m.frame.cyBorder = metric(SM_CYBORDER);
  m.buttonWidth = metric(SM_CXSIZE);
  m.buttonHeight = metric(SM_CYSIZE);
  return m;
}

const CaptionMetrics& CaptionRenderer::metrics() {
  if (!metrics_) metrics_ = CaptionMetrics::Read(dpi_);
  return *metrics_;
}

const TargetLayout& CaptionRenderer::LayOutTarget(HWND window, const RECT& screen, uint32_t style, uint32_t exStyle) {
  if (layout_ && layout_->window == window && EqualRect(&layout_->screen, &screen) && layout_->style == style &&
      layout_->exStyle == exStyle)
    return *layout_;
  TargetLayout layout;
  layout.window = window;
  layout.screen = screen;
  layout.style = style;
  layout.exStyle = exStyle;
  // A window changes its DPI only by moving to another monitor, which changes its rectangle.
  const unsigned dpi = WindowDpi(window);
  layout.dpi = dpi == SystemDpi() ? 0 : dpi;
  if (layout.dpi != dpi_) {
    dpi_ = layout.dpi;
    metrics_.reset();
    font_.reset();
    ForgetLayers();
  }
  layout.caption = CaptionRectOf(screen, style, exStyle, metrics().frame);
  // One more question: where the client area lies (in screen coordinates, with the window's
  // rectangle of the same moment).
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  if (layout.caption && GetWindowInfo(window, &info)) {
    const RECT& w = info.rcWindow;
    const RECT& c = info.rcClient;
    layout.ownTitleBar =
        ClientReachesCaption(*layout.caption, {c.left - w.left, c.top - w.top, c.right - w.left, c.bottom - w.top});
  }
  layout_ = layout;
  return *layout_;
}

std::optional<CaptionRect> CaptionRenderer::CaptionRectOf(const RECT& windowRect, uint32_t style, uint32_t exStyle,
                                                          const FrameMetrics& metrics) {
  WindowFacts facts;
  facts.style = style;
  facts.exStyle = exStyle;
  facts.minimized = (style & WS_MINIMIZE) != 0;
  facts.width = windowRect.right - windowRect.left;
  facts.height = windowRect.bottom - windowRect.top;
  return ComputeCaptionRect(facts, metrics);
}

std::optional<CaptionRect> CaptionRenderer::CaptionRectFor(HWND window, uint32_t style, uint32_t exStyle,
                                                           const FrameMetrics& metrics) {
  RECT screen{};
  if (!GetWindowRect(window, &screen)) return std::nullopt;
  return CaptionRectOf(screen, style, exStyle, metrics);
}

std::optional<CaptionRect> CaptionRenderer::GetCaptionRect(HWND window) {
  return CaptionRectFor(window, static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)),
                        static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)), CaptionMetrics::Read().frame);
}

void CaptionRenderer::RepaintCaption(HWND window, std::optional<uint32_t> knownStyle, const RECT* knownRect) {
  painted_ = false;
  auto facts = ReadCaptionFacts(window, knownStyle, knownRect);
  if (!facts) return ReleaseWindowDC();
  const uint32_t style = facts->style;
  const RECT& windowRect = facts->windowRect;
  title_ = {window, facts->title};
  // A window's ex-style changes only with a new frame, which shows in its style or rectangle.
  if (window != held_.window || style != held_.style || !EqualRect(&windowRect, &held_.rect)) {
    ReleaseWindowDC();
    held_.window = window;
    held_.style = style;
    held_.rect = windowRect;
    held_.exStyle = static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE));
  }
  if (window != iconCacheWindow_ && (held_.exStyle & kWsExToolWindow) != 0) return;
  const TargetLayout& layout = LayOutTarget(window, windowRect, style, held_.exStyle);
  // A window that draws its own title bar keeps its tabs and buttons.
  if (layout.ownTitleBar || !layout.caption) return;
  if (!Paint(window, *layout.caption, style, held_.exStyle)) return;
  laidOut_.caption = std::move(*facts);
  laidOut_.rect = *layout.caption;
  painted_ = true;
}

void CaptionRenderer::ReleaseWindowDC() {
  if (held_.dc) ReleaseDC(held_.window, held_.dc);
  held_ = HeldWindowDC{};
}

void CaptionRenderer::ForgetLayers() {
  ink_.valid = false;
  for (auto& stored : bases_) stored->valid = false;
}

void CaptionRenderer::OnSystemSettingsChanged(bool displayChanged) {
  font_.reset();
  metrics_.reset();
  layout_.reset();
  ForgetLayers();
  if (!displayChanged) return;
  // The display changed: canvases made anew at the next paint.
  current_ = nullptr;
  bases_.clear();
  composed_.Release();
  ink_.ink.Release();
  ink_.coverage.Release();
}

HFONT CaptionRenderer::CaptionFont() {
  if (!font_ || fontBold_ != style_.bold) {
    font_.reset(MakeCaptionFont(style_.bold, dpi_));
    fontBold_ = style_.bold;
  }
  return font_.get();
}

int CaptionRenderer::DrawButtonsLayer(HDC surface, const BaseKey& key, const CaptionRect& rect) {
  int width = 0;
  for (CaptionButtonFace& face : CaptionButtonFaces(key.style, key.exStyle, rect, key.metrics, &width))
    DrawFrameControl(surface, &face.box, DFC_CAPTION, face.state);
  return width;
}

// Each question asked of another process's window is a round trip to the window system, so
// a tick asks only for the style, the rectangle and the title; the metrics and the window DC
// are kept.
bool CaptionRenderer::Paint(HWND window, const CaptionRect& rect, uint32_t style, uint32_t exStyle) {
  if (!held_.dc) held_.dc = GetWindowDC(window);
  if (!held_.dc) return false;
  const bool painted =
      Compose(window, rect, style, exStyle) &&
      BitBlt(held_.dc, rect.left, rect.top, rect.Width(), rect.Height(), current_->dc(), rect.left, rect.top, SRCCOPY);
  if (!painted || !ReachesWholeCaption(held_.dc, rect)) {
    ReleaseDC(window, held_.dc);
    held_.dc = nullptr;
  }
  return painted;
}

bool CaptionRenderer::ComposeCaption(HWND window, const CaptionRect& rect, uint32_t style,
                                     uint32_t exStyle, bool* changed) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return false;
  title_ = {window, ReadCaptionTitle(window)};
  return Compose(window, rect, style, exStyle, changed);
}

int CaptionRenderer::ButtonAreaWidth(uint32_t style, uint32_t exStyle, int captionHeight) {
  // The buttons stand at the caption's right end, so any caption of this height will do.
  const CaptionRect probe{0, 0, 4096, captionHeight};
  const auto faces = CaptionButtonFaces(style, exStyle, probe, metrics(), nullptr);
  int firstLeft = probe.right;
  for (const CaptionButtonFace& face : faces) firstLeft = std::min<int>(firstLeft, face.box.left);
  return probe.right - firstLeft;
}

bool CaptionRenderer::Compose(HWND window, const CaptionRect& rect, uint32_t style, uint32_t exStyle, bool* changed) {
  if (changed) *changed = false;

  // Background, icon and buttons: composed together, the icon being drawn over the
  // background it blends with, and kept for each of the last few animation frames. The
  // canvases are as large as the window's top-left part up to the caption's far corner, so
  // that their coordinates are the window's own.
  BaseKey key;
  key.picture = record_.picture;
  key.pictureGeneration = pictureGeneration_;
  key.rect = rect;
  key.icon = CaptionIcon(window);
  key.style = style;
  key.exStyle = exStyle;
  key.metrics = metrics();
  StoredBase* base = nullptr;
  for (auto& stored : bases_)
    if (stored->valid && stored->key == key) base = stored.get();
  if (!base) {
    if (bases_.size() < kKeptBases) {
      bases_.push_back(std::make_unique<StoredBase>());
      base = bases_.back().get();
    } else {
      for (auto& stored : bases_)
        if (!base || !stored->valid || (base->valid && stored->lastUse < base->lastUse)) base = stored.get();
    }
    base->valid = false;
    base->inkVersion = 0;
    base->canvas.FitDib(rect.right, rect.bottom);
    HDC dc = base->canvas.dc();
    if (!dc) return false;
    const int saved = SaveDC(dc);
    // Black first, as a new bitmap is, for a picture that cannot be drawn.
    PatBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), BLACKNESS);
    if (record_.picture)
      DrawPictureBackground(window, dc, rect);
    else
      DrawGradientBackground(window, dc, rect);
    base->iconWidth = DrawCaptionIcon(window, dc, rect);
    base->buttonAreaWidth = DrawButtonsLayer(dc, key, rect);
    RestoreDC(dc, saved);
    GdiFlush();  // its pixels are read by hand from now on
    base->key = key;
    base->valid = true;
  }
  base->lastUse = ++useCounter_;

  // The title with its outline and the clock, over the base.
  TextKey text = TextKeyFor(LayOutText(window, base->iconWidth, base->buttonAreaWidth, rect), CaptionFont());
  const bool news = ticker_ && ticker_->NewsOn();
  if (!news && TextInkFor(text, rect) && StampText(*base, rect, changed)) return true;
  // The news ticker moves on every tick: the text is drawn afresh onto a copy of the base.
  composed_.FitDib(rect.right, rect.bottom);
  HDC dc = composed_.dc();
  if (!dc) return false;
  BitBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), base->canvas.dc(), rect.left, rect.top, SRCCOPY);
  DrawTextOnto(dc, text, rect);
  current_ = &composed_;
  if (changed) *changed = true;
  return true;
}

bool CaptionRenderer::StampText(StoredBase& base, const CaptionRect& rect, bool* changed) {
  MemoryCanvas& out = base.composed;
  if (out.FitDib(rect.right, rect.bottom)) base.inkVersion = 0;
  if (!out.bits() || !base.canvas.bits() || base.canvas.width() != out.width()) return false;
  // The columns to take from the base and the ink again: all of them, or those where the
  // layers since the one this frame has differ.
  int from = rect.left, to = rect.right;
  if (base.inkVersion != 0 && ink_.version - base.inkVersion < kInkHistory) {
    from = to = 0;
    for (unsigned v = base.inkVersion + 1; v <= ink_.version; ++v) {
      const auto [first, last] = ink_.changes[v % kInkHistory];
      if (first >= last) continue;
      from = from < to ? std::min(from, first) : first;
      to = std::max(to, last);
    }
    from = std::max<int>(from, rect.left);
    to = std::min<int>(to, rect.right);
  }
  if (from < to) {
    const int width = out.width();
    for (int y = rect.top; y < rect.bottom; ++y) {
      const size_t row = static_cast<size_t>(y) * width;
      std::memcpy(out.bits() + row + from, base.canvas.bits() + row + from, sizeof(uint32_t) * (to - from));
    }
    BlendInk(out, from, to);
  }
  if (changed) *changed = from < to || current_ != &out;
  base.inkVersion = ink_.version;
  current_ = &out;
  return true;
}

CaptionRenderer::TextKey CaptionRenderer::TextKeyFor(TextLayout layout, HFONT font) const {
  TextKey text;
  text.layout = std::move(layout);
  text.font = font;
  text.bold = style_.bold;
  text.textColor = style_.textColor;
  text.outline = style_.outline;
  text.outlineColor = text.outline ? style_.outlineColor : 0;
  return text;
}

void CaptionRenderer::DrawTextOnto(HDC surface, const TextKey& text, const CaptionRect& rect) {
  const int saved = SaveDC(surface);
  DrawTextLayer(surface, text.layout, rect, text.font);
  RestoreDC(surface, saved);
}

void CaptionRenderer::PutText(HDC surface, const TextKey& text, const CaptionRect& rect) {
  if ((ticker_ && ticker_->NewsOn()) || !TextInkFor(text, rect)) return DrawTextOnto(surface, text, rect);
  const RECT& box = ink_.box;
  const int w = box.right - box.left, h = box.bottom - box.top;
  if (w > 0 && h > 0)
    GdiAlphaBlend(surface, box.left, box.top, w, h, ink_.ink.dc(), box.left, box.top, w, h,
                  BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
}

// GdiAlphaBlend's premultiplied "over", with its rounding, but passing over the clear pixels
// between the letters and copying the covered ones: on every animated tick this is most of the
// time a caption takes to compose.
void CaptionRenderer::BlendInk(MemoryCanvas& onto, int from, int to) const {
  const RECT& box = ink_.box;
  const int inkWidth = ink_.ink.width(), width = onto.width();
  const int left = std::max<int>(box.left, from), right = std::min({static_cast<int>(box.right), to, width, inkWidth});
  for (int y = box.top; y < box.bottom && y < onto.height(); ++y)
    for (int x = left; x < right; ++x) {
      const uint32_t src = ink_.ink.bits()[static_cast<size_t>(y) * inkWidth + x], a = src >> 24;
      if (a == 0) continue;
      uint32_t& dst = onto.bits()[static_cast<size_t>(y) * width + x];
      if (a == 255) {
        dst = src;
        continue;
      }
      uint32_t out = 0;
      for (int shift = 0; shift < 32; shift += 8)
        out |= (((src >> shift) & 0xFF) + (((dst >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
      dst = out;
    }
}

bool CaptionRenderer::TextInkFor(const TextKey& text, const CaptionRect& rect) {
  if (ink_.valid && ink_.key == text && ink_.rect == rect) return true;
  ink_.valid = false;
  MemoryCanvas& ink = ink_.ink;
  MemoryCanvas& coverage = ink_.coverage;
  // New canvases, or another rectangle: nothing of the last layer can be kept.
  bool fresh = ink.FitDib(rect.right, rect.bottom);
  fresh = coverage.FitDib(rect.right, rect.bottom) || fresh || !(ink_.rect == rect) || ink_.version == 0;
  if (!ink.dc() || !coverage.dc()) return false;
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  if (fresh) {
    FillSolid(coverage.dc(), area, 0);
    FillSolid(ink.dc(), area, 0);
    GdiFlush();  // both are written by hand from here on
    ink_.covered = ink_.box = RECT{};
  }
  // The text drawn once, white on black, tells how much of each pixel it covers; each pass of
  // the outline is the same text moved by one pixel, so its coverage is read one pixel away.
  // Only the text's box is touched: the text keeps to it.
  RECT box{};
  IntersectRect(&box, &text.layout.box, &area);
  RECT blank{};
  UnionRect(&blank, &ink_.covered, &box);
  const int width = coverage.width();
  for (int y = blank.top; y < blank.bottom; ++y)
    std::fill_n(coverage.bits() + static_cast<size_t>(y) * width + blank.left, blank.right - blank.left, 0u);
  const std::u16string& s = text.layout.text;
  // The glyphs kept from earlier lines, or the system's DrawText where more than placing them
  // side by side is asked for.
  if (text.layout.shown && !s.empty() && !IsRectEmpty(&box) &&
      !glyphs_.Draw(coverage, s, text.layout.box, text.layout.format, text.font)) {
    ScopedSelect font(coverage.dc(), text.font);
    SetBkMode(coverage.dc(), TRANSPARENT);
    ::SetTextColor(coverage.dc(), RGB(255, 255, 255));
    // DrawText may shorten the text in place for the ellipsis.
    std::vector<wchar_t> buffer(s.begin(), s.end());
    buffer.resize(s.size() + 8, L'\0');
    RECT r = text.layout.box;
    DrawTextW(coverage.dc(), buffer.data(), static_cast<int>(s.size()), &r, text.layout.format);
    GdiFlush();
  }
  ink_.covered = box;
  auto covered = [&](int x, int y) -> uint32_t {
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return 0;
    return (coverage.bits()[static_cast<size_t>(y) * width + x] >> 8) & 0xFF;
  };
  // The bounds are kept by hand, as this runs once a second.
  auto grow = [](RECT& r, int x, int y) {
    if (r.left >= r.right) {
      r = {x, y, x + 1, y + 1};
      return;
    }
    r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
         std::max<LONG>(r.bottom, y + 1)};
  };
  RECT drawn{};
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x)
      if (covered(x, y)) grow(drawn, x, y);
  if (text.outline) InflateRect(&drawn, 1, 1);
  IntersectRect(&drawn, &drawn, &area);
  // The new ink over what the last one covered, noting the columns where the two differ.
  RECT span{};
  UnionRect(&span, &drawn, &ink_.box);
  const auto colour = static_cast<uint32_t>(text.textColor), outline = static_cast<uint32_t>(text.outlineColor);
  RECT inked{};
  int changedFrom = fresh ? rect.left : rect.right, changedTo = fresh ? rect.right : rect.left;
  for (int y = span.top; y < span.bottom; ++y)
    for (int x = span.left; x < span.right; ++x) {
      uint32_t pixel = 0;
      if (x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom) {
        const uint32_t a = covered(x, y);
        uint32_t o = 0;  // the outline's coverage: the four passes one over another
        if (text.outline) {
          uint32_t clear = 255;
          for (uint32_t n : {covered(x - 1, y), covered(x + 1, y), covered(x, y - 1), covered(x, y + 1)})
            clear = clear * (255 - n) / 255;
          o = 255 - clear;
        }
        // The text over the outline, premultiplied; COLORREF is 0x00BBGGRR, the DIB 0xAARRGGBB.
        const uint32_t under = (255 - a) * o / 255, alpha = a + under;
        pixel = alpha << 24;
        for (int c = 0; c < 3; ++c) {
          const uint32_t value = (a * ((colour >> (8 * c)) & 0xFF) + under * ((outline >> (8 * c)) & 0xFF)) / 255;
          pixel |= std::min(value, alpha) << (16 - 8 * c);
        }
        if (alpha != 0) grow(inked, x, y);
      }
      uint32_t& kept = ink.bits()[static_cast<size_t>(y) * width + x];
      if (kept == pixel) continue;
      kept = pixel;
      changedFrom = std::min(changedFrom, x);
      changedTo = std::max(changedTo, x + 1);
    }
  ++ink_.version;
  ink_.changes[ink_.version % kInkHistory] = {changedFrom, changedTo};
  ink_.key = text;
  ink_.rect = rect;
  ink_.box = inked;
  ink_.valid = true;
  return true;
}

}  // namespace lum
