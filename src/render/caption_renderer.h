// Paints the caption of another program's window: composes it off-screen from its layers
// and copies it onto the window's title bar in one block copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "imaging/memory_canvas.h"
#include "platform/scoped_win.h"
#include "render/caption_dc.h"
#include "render/caption_geometry.h"
#include "render/clock_format.h"
#include "render/clock_text.h"
#include "render/glyph_cache.h"
#include "render/caption_facts.h"

namespace lum {

// The caption being painted: rectangle and background picture.
struct CaptionRecord {
  CaptionRect rect;
  HBITMAP picture = nullptr;  // not owned: the current animation frame
};

// One caption button: where it goes and which face DrawFrameControl gives it.
struct CaptionButtonFace {
  RECT box;
  UINT state;
};

// The news ticker's place in the caption: the text layer hands it the free area.
class CaptionTicker {
 public:
  virtual ~CaptionTicker() = default;
  virtual bool NewsOn() const = 0;
  // One step of the sideways ticker; it draws only where the area reaches far enough right.
  virtual void HorizontalStep(HDC surface, const CaptionRect& area) = 0;
  // One step of the ticker that rises line by line.
  virtual void VerticalStep(HDC surface, const CaptionRect& area) = 0;
};

// The system metrics the caption is laid out by. Reading some of them is slow (the caption
// height is measured from the caption font), so the renderer reads them once and again only
// when the system's settings change.
struct CaptionMetrics {
  FrameMetrics frame;
  int32_t buttonWidth = 0, buttonHeight = 0;  // SM_CXSIZE, SM_CYSIZE
  bool operator==(const CaptionMetrics&) const = default;
  // At `dpi`; 0 (and any DPI where the system cannot answer for one) gives the system's own.
  static CaptionMetrics Read(unsigned dpi = 0);
};

// The facts a tick reads of its target and what follows from them: the DPI its caption is
// laid out at, the caption itself and whether the window draws its own title bar.
struct TargetLayout {
  HWND window = nullptr;
  RECT screen{};
  uint32_t style = 0, exStyle = 0;
  unsigned dpi = 0;  // 0: the system's
  std::optional<CaptionRect> caption;
  bool ownTitleBar = false;
};

class CaptionRenderer {
 public:
  CaptionRenderer() = default;
  ~CaptionRenderer() { ReleaseWindowDC(); }
  CaptionRenderer(const CaptionRenderer&) = delete;
  CaptionRenderer& operator=(const CaptionRenderer&) = delete;

  // What the caption shows of the settings, taken whole whenever they change.
  void SetStyle(const CaptionStyle& style) { style_ = style; }
  const CaptionStyle& style() const { return style_; }
  // The animation frame, handed over by the repaint cycle on every tick.
  void SetCaptionPicture(HBITMAP picture) { record_.picture = picture; }
  void SetTiling(bool tiling) { tiling_ = tiling; }
  // The program's own icon, shown in every caption when the icon option is on.
  void SetOwnIcon(HICON icon) { ownIcon_ = icon; }
  void SetTicker(CaptionTicker* ticker) { ticker_ = ticker; }
  // Where the clock reads the time; the local time unless a test fixes a moment.
  void SetClockSource(std::function<ClockMoment()> source) { clockSource_ = std::move(source); }

  HBITMAP captionPicture() const { return record_.picture; }
  // The window whose icon is cached; it stays paintable if it turns into a tool window.
  HWND iconCacheWindow() const { return iconCacheWindow_; }

  // Paints the window's caption unless it is a tool window (other than the cached one).
  // What it composes is kept: a tick that changes nothing the caption shows only copies
  // the stored caption onto the window again.
  // The caller may hand over the window's style and rectangle if it has just read them.
  void RepaintCaption(HWND window, std::optional<uint32_t> style = std::nullopt, const RECT* rect = nullptr);
  static std::optional<CaptionRect> GetCaptionRect(HWND window);
  // The same for a window whose rectangle and styles the caller has just read.
  static std::optional<CaptionRect> CaptionRectOf(const RECT& windowRect, uint32_t style, uint32_t exStyle,
                                                  const FrameMetrics& metrics);
  // Composes the caption of the window (whose styles the caller has just read) laid out in
  // `rect` (coordinates of the composed canvas, a 32-bit DIB section) without putting it
  // anywhere; composedDC() holds it then. `changed` tells whether the composed pixels
  // differ from the last composition's.
  bool ComposeCaption(HWND window, const CaptionRect& rect, uint32_t style, uint32_t exStyle, bool* changed);
  HDC composedDC() const { return current_ ? current_->dc() : nullptr; }
  // The classic button area's width for a window of these styles: from the first button's
  // left to the caption's right.
  int ButtonAreaWidth(uint32_t style, uint32_t exStyle, int captionHeight);
  // Lays the caption of the window (whose rectangle and styles the caller has just read) out
  // at the DPI of its monitor, and finds out whether it draws its own title bar. Asked of the
  // window system again only when the window, its rectangle or its styles change; metrics()
  // and the caption font follow the DPI found.
  const TargetLayout& LayOutTarget(HWND window, const RECT& screen, uint32_t style, uint32_t exStyle);
  // Gives back the window DC kept between paints: while the renderer is not painting (another
  // painter has the caption, or nothing in front is painted) no DC of another program's window
  // is kept.
  void ReleaseWindowDC();
  // The caption font, the system's colours or metrics changed: everything kept is built
  // afresh; after a display change the canvases too.
  void OnSystemSettingsChanged(bool displayChanged = false);
  // The animation frames were replaced: a new frame may carry an old one's handle.
  void OnPicturesReplaced() { ++pictureGeneration_; }

  // Background layer: the picture tiled from the caption's top-left, or black bands.
  void DrawPictureBackground(HWND window, HDC surface, const CaptionRect& rect) const;
  void DrawGradientBackground(HWND window, HDC surface, const CaptionRect& rect) const;
  // The window's icon at the left; returns the icon column width.
  int DrawCaptionIcon(HWND window, HDC surface, const CaptionRect& rect);
  // Close, maximise, minimise or help at the right; returns the button-area width.
  int DrawCaptionButtons(HWND window, HDC surface, const CaptionRect& rect);
  // The faces DrawCaptionButtons draws for these window styles, and the button-area width.
  static std::vector<CaptionButtonFace> CaptionButtonFaces(uint32_t style, uint32_t exStyle, const CaptionRect& rect,
                                                           const CaptionMetrics& metrics, int* width);
  // The metrics at the last target's DPI as last read: on the first use, after
  // OnSystemSettingsChanged and when the DPI changes.
  const CaptionMetrics& metrics();
  // Title, clock and ticker between the icon column and the buttons.
  void DrawCaptionText(HWND window, HDC surface, int iconWidth, int buttonWidth, const CaptionRect& rect, bool active,
                       HFONT captionFont);
  // The clock as the caption shows it now.
  std::u16string ClockText() const;
  // What the last RepaintCaption painted from, if it painted: another painter may keep it
  // painted while these facts hold (see SteadyPainter).
  std::optional<SteadyFacts> PaintedFacts() const {
    return painted_ ? std::optional<SteadyFacts>(laidOut_) : std::nullopt;
  }

 private:
  // What the text layer draws: the text, its rectangle and DrawText format. Everything the
  // layer's pixels depend on, besides the font and colours.
  struct TextLayout {
    bool shown = false;  // a window without a title gets no text, nor ticker
    std::u16string text;
    RECT box{};
    UINT format = 0;
    bool operator==(const TextLayout& o) const {
      return shown == o.shown && text == o.text && EqualRect(&box, &o.box) && format == o.format;
    }
  };
  // The facts the stored background, icon and buttons were composed from.
  struct BaseKey {
    HBITMAP picture = nullptr;
    unsigned pictureGeneration = 0;
    CaptionRect rect;
    HICON icon = nullptr;
    uint32_t style = 0, exStyle = 0;  // the maximised state included
    CaptionMetrics metrics;
    bool operator==(const BaseKey&) const = default;
  };
  struct TextKey {
    TextLayout layout;
    HFONT font = nullptr;
    bool bold = false;
    int32_t textColor = 0;
    bool outline = false;
    int32_t outlineColor = 0;
    bool operator==(const TextKey&) const = default;
  };

  static std::optional<CaptionRect> CaptionRectFor(HWND window, uint32_t style, uint32_t exStyle,
                                                   const FrameMetrics& metrics);
  bool Paint(HWND window, const CaptionRect& rect, uint32_t style, uint32_t exStyle);
  bool Compose(HWND window, const CaptionRect& rect, uint32_t style, uint32_t exStyle,
               bool* changed = nullptr);
  HICON CaptionIcon(HWND window);
  TextLayout LayOutText(HWND window, int iconWidth, int buttonWidth, const CaptionRect& rect) const;
  void DrawTextLayer(HDC surface, const TextLayout& layout, const CaptionRect& rect, HFONT captionFont);
  void DrawOutlinedText(HDC surface, const std::u16string& text, const RECT& area, UINT format) const;
  HFONT CaptionFont();
  TextKey TextKeyFor(TextLayout layout, HFONT font) const;
  struct StoredBase;
  // The text drawn with GDI onto `surface`, which holds the base: for the news ticker, which
  // moves on every tick, and should the text layer not be made.
  void DrawTextOnto(HDC surface, const TextKey& text, const CaptionRect& rect);
  // The text, its outline and the ticker onto any surface that holds the base.
  void PutText(HDC surface, const TextKey& text, const CaptionRect& rect);
  // The stored text layer over the columns [from, to) of `onto`, a DIB section as large as it.
  void BlendInk(MemoryCanvas& onto, int from, int to) const;
  // Brings the base's composed caption up to the current text layer; false if it cannot be
  // used. `changed`: whether the caption to copy differs from the last one composed.
  bool StampText(StoredBase& base, const CaptionRect& rect, bool* changed);
  // The text layer of `text` laid out in `rect` on its own (see TextInk); false if it could not
  // be made.
  bool TextInkFor(const TextKey& text, const CaptionRect& rect);
  // The buttons onto the stored background; returns the button-area width.
  int DrawButtonsLayer(HDC surface, const BaseKey& key, const CaptionRect& rect);
  void ForgetLayers();

  CaptionStyle style_;
  CaptionRecord record_;
  bool tiling_ = true;
  // The painted window's DC, kept from tick to tick with the facts it was taken for: taking a
  // window DC of another program's window costs several round trips to the window system. It
  // is taken again when the window, its style or its rectangle changes, and is kept only when
  // it reached the whole caption (no other window lay over it when it was taken).
  struct HeldWindowDC {
    HWND window = nullptr;
    HDC dc = nullptr;
    uint32_t style = 0, exStyle = 0;  // the ex-style is asked again only with the others
    RECT rect{};
  };
  HeldWindowDC held_;
  HWND iconCacheWindow_ = nullptr;
  HICON iconCacheIcon_ = nullptr;
  HICON ownIcon_ = nullptr;
  CaptionTicker* ticker_ = nullptr;
  std::function<ClockMoment()> clockSource_;

  // Kept between paints, each with the facts it was made from.
  ScopedGdiObject<HFONT> font_;
  bool fontBold_ = false;
  unsigned pictureGeneration_ = 0;
  std::optional<CaptionMetrics> metrics_;
  unsigned dpi_ = 0;  // what metrics_ and font_ are made for; 0: the system's DPI
  std::optional<TargetLayout> layout_;
  // Background, icon and buttons as composed for one animation frame, and the same with the
  // text layer of version `inkVersion` over it (0: none yet). Both are DIB sections, copied and
  // blended by hand: a tick runs after 180 ms of sleep, when every GDI call and every byte it
  // touches is cold, so a tick touches as little as it can.
  struct StoredBase {
    MemoryCanvas canvas, composed;
    BaseKey key;
    bool valid = false;
    unsigned lastUse = 0;
    unsigned inkVersion = 0;
    int iconWidth = 0, buttonAreaWidth = 0;
  };
  // Enough for the animations that come with the program (five frames) and a few more.
  static constexpr size_t kKeptBases = 8;
  std::vector<std::unique_ptr<StoredBase>> bases_;
  unsigned useCounter_ = 0;
  MemoryCanvas composed_;            // a base with text drawn by GDI (the news ticker's way)
  MemoryCanvas* current_ = nullptr;  // the caption last composed: what reaches the window
  // The text with its outline made once on its own, as premultiplied colour with the coverage
  // of each pixel in its alpha: a new base under an unchanged text (the animation) then takes
  // the text by one blend instead of drawing it again. Every caption's text is put on this way,
  // so a caption looks the same however it was composed.
  // Each new layer gets a version, and the columns in which it differs from the one before are
  // kept for a few versions: a frame composed with an earlier layer takes only those columns
  // again (a ticking clock changes a few digits a second, while each of the animation's frames
  // comes round about once a second).
  static constexpr unsigned kInkHistory = 8;
  struct TextInk {
    MemoryCanvas ink, coverage;  // coverage: the text alone, white on black
    TextKey key;
    CaptionRect rect;
    RECT box{};      // where the ink lies
    RECT covered{};  // where the coverage may not be black
    bool valid = false;
    unsigned version = 0;
    std::pair<int, int> changes[kInkHistory]{};  // columns [first, second) of each version's change
  };
  TextInk ink_;
  GlyphCache glyphs_;
  // The title last read, for the window it was read of.
  std::pair<HWND, std::wstring> title_;
  // The facts of the caption last laid out, and whether RepaintCaption put it on its window.
  mutable SteadyFacts laidOut_;
  bool painted_ = false;
};

// Whether the window's class is one whose caption is painted (asked of the window system;
// a window's class never changes, so callers ask once per window).
bool IsPaintableWindow(HWND window);

// The first icon of: the class's small icon, the class icon, the window's small and big
// icons, the system logo.
HICON FindWindowIcon(HWND window);

// The DPI a window's caption is laid out at: the window's own where the system tells it
// (Windows 10 from 1607), the system's otherwise.
unsigned WindowDpi(HWND window);
unsigned SystemDpi();

// A new font like the system's caption font (at `dpi`, 0 for the system's), in the given
// weight; the caller deletes it.
HFONT MakeCaptionFont(bool bold, unsigned dpi = 0);

}  // namespace lum
