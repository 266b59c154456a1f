// Paints the caption of another program's window: composes it off-screen from its layers
// and copies it onto the window's title bar in one block copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "clock/clock_format.h"
#include "core/settings.h"
#include "render/caption_geometry.h"

namespace lum {

// The caption being painted: composition bitmap, rectangle and background picture.
struct CaptionRecord {
  HBITMAP composition = nullptr;  // only set while a paint is in progress
  CaptionRect rect;
  HBITMAP picture = nullptr;      // not owned: the current animation frame
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

class CaptionRenderer {
 public:
  // `shared` holds the clock, outline, icon and ticker-direction settings; it may be null
  // (all of them off), and must outlive the renderer.
  explicit CaptionRenderer(const SharedSettings* shared = nullptr) : shared_(shared) {}
  CaptionRenderer(const CaptionRenderer&) = delete;
  CaptionRenderer& operator=(const CaptionRenderer&) = delete;

  // Settings handed over by the repaint cycle on every tick.
  void SetCaptionPicture(HBITMAP picture) { record_.picture = picture; }
  void SetTextColor(int32_t color) { textColor_ = color; }
  void SetAlignment(int32_t alignment) { alignment_ = alignment; }
  void SetBold(bool bold) { bold_ = bold; }
  void SetTiling(bool tiling) { tiling_ = tiling; }
  // The program's own icon, shown in every caption when the icon option is on.
  void SetOwnIcon(HICON icon) { ownIcon_ = icon; }
  void SetTicker(CaptionTicker* ticker) { ticker_ = ticker; }
  // Where the clock reads the time; the local time unless a test fixes a moment.
  void SetClockSource(std::function<ClockMoment()> source) { clockSource_ = std::move(source); }

  HBITMAP captionPicture() const { return record_.picture; }
  int32_t textColor() const { return textColor_; }
  int32_t alignment() const { return alignment_; }
  bool bold() const { return bold_; }
  // The window whose icon is cached; it stays paintable if it turns into a tool window.
  HWND iconCacheWindow() const { return iconCacheWindow_; }

  // Paints the window's caption unless it is a tool window (other than the cached one).
  void RepaintCaption(HWND window);
  // Composes and copies one caption; false when nothing could be painted.
  bool PaintCaption(HWND window, HFONT captionFont);
  static std::optional<CaptionRect> GetCaptionRect(HWND window);

  // Background layer: the picture tiled from the caption's top-left, or black bands.
  void DrawPictureBackground(HWND window, HDC surface, const CaptionRect& rect) const;
  void DrawGradientBackground(HWND window, HDC surface, const CaptionRect& rect) const;
  // The window's icon at the left; returns the icon column width.
  int DrawCaptionIcon(HWND window, HDC surface, const CaptionRect& rect);
  // Close, maximise, minimise or help at the right; returns the button-area width.
  int DrawCaptionButtons(HWND window, HDC surface, const CaptionRect& rect) const;
  // Title, clock and ticker between the icon column and the buttons.
  void DrawCaptionText(HWND window, HDC surface, int iconWidth, int buttonWidth, const CaptionRect& rect,
                       bool active, HFONT captionFont);
  // The clock as the caption shows it now.
  std::u16string ClockText() const;

 private:
  void DrawOutlinedText(HDC surface, const std::u16string& text, const RECT& area, UINT format) const;

  const SharedSettings* shared_;
  CaptionRecord record_;
  int32_t textColor_ = 0;
  int32_t alignment_ = 0;
  bool bold_ = false;
  bool tiling_ = true;
  bool active_ = true;
  HWND iconCacheWindow_ = nullptr;
  HICON iconCacheIcon_ = nullptr;
  HICON ownIcon_ = nullptr;
  CaptionTicker* ticker_ = nullptr;
  std::function<ClockMoment()> clockSource_;
};

// The first icon of: the class's small icon, the class icon, the window's small and big
// icons, the system logo.
HICON FindWindowIcon(HWND window);

// A new font like the system's caption font, in the given weight; the caller deletes it.
HFONT MakeCaptionFont(bool bold);

// Fills one rectangle with a solid colour through a short-lived brush.
void FillBand(HDC surface, int x, int y, int width, int height, int32_t color);

}  // namespace lum
