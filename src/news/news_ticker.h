// The news as the caption shows it: the text holders of the tray form, the laid-out lines
// and the two ticker motions, drawn into the ticker area the caption text leaves free.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "news/ticker.h"
#include "render/caption_renderer.h"

namespace lum {

class NewsTicker : public CaptionTicker {
 public:
  // Whether news shows and with which outline, taken whole whenever the settings change.
  void SetStyle(const CaptionStyle& style) { style_ = style; }

  bool NewsOn() const override { return style_.newsOn; }
  void HorizontalStep(HDC surface, const CaptionRect& area) override;
  void VerticalStep(HDC surface, const CaptionRect& area) override;

  // Widens `text` in place, lays it out into lines, plays the news sound and returns the
  // laid-out text.
  std::u16string Layout(std::u16string& text);

  const std::u16string& txtNews() const { return txtNews_; }
  const std::u16string& txtTempNews() const { return txtTempNews_; }
  // A change of the laid-out text starts the sideways ticker again.
  void SetTxtNews(std::u16string text);
  void SetTxtTempNews(std::u16string text) { txtTempNews_ = std::move(text); }
  const std::vector<std::u16string>& newsLines() const { return newsLines_; }
  void ResetVerticalLine() { vertical_.ResetLine(); }
  int32_t newsLineIndex() const { return vertical_.lineIndex(); }
  // Turns the news sound off, for tests that lay out many texts.
  void SetSoundEnabled(bool enabled) { soundEnabled_ = enabled; }

 private:
  CaptionStyle style_;
  std::u16string txtNews_;
  std::u16string txtTempNews_;
  std::vector<std::u16string> newsLines_{u"", u""};
  HorizontalTicker horizontal_;
  VerticalTicker vertical_;
  bool soundEnabled_ = true;
};

}  // namespace lum
