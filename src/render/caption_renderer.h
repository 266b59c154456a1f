// Paints the caption of another program's window: composes it off-screen from its layers
// and copies it onto the window's title bar in one block copy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "render/caption_geometry.h"

namespace lum {

// The caption being painted: composition bitmap, rectangle and background picture.
struct CaptionRecord {
  HBITMAP composition = nullptr;  // only set while a paint is in progress
  CaptionRect rect;
  HBITMAP picture = nullptr;      // not owned: the current animation frame
};

class CaptionRenderer {
 public:
  CaptionRenderer() = default;
  CaptionRenderer(const CaptionRenderer&) = delete;
  CaptionRenderer& operator=(const CaptionRenderer&) = delete;

  // Settings handed over by the repaint cycle on every tick.
  void SetCaptionPicture(HBITMAP picture) { record_.picture = picture; }
  void SetTextColor(int32_t color) { textColor_ = color; }
  void SetAlignment(int32_t alignment) { alignment_ = alignment; }
  void SetBold(bool bold) { bold_ = bold; }
  void SetTiling(bool tiling) { tiling_ = tiling; }

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

 private:
  CaptionRecord record_;
  int32_t textColor_ = 0;
  int32_t alignment_ = 0;
  bool bold_ = false;
  bool tiling_ = true;
  bool active_ = true;
  HWND iconCacheWindow_ = nullptr;
};

// A new font like the system's caption font, in the given weight; the caller deletes it.
HFONT MakeCaptionFont(bool bold);

// Fills one rectangle with a solid colour through a short-lived brush.
void FillBand(HDC surface, int x, int y, int width, int height, int32_t color);

}  // namespace lum
