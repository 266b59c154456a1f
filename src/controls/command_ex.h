// CommandEx: the program's own push button. It draws itself (a plain or gradient face, one of
// three frame shapes, a picture beside the caption or tiled over the face, a caption with a
// drop shadow, pressed and disabled looks, a focus rectangle), plays a click sound from the
// program's resources, and can stand in for a system scroll-arrow button.
//
// The drawing lives in an off-screen copy of the control that every state change redraws
// completely and WM_PAINT merely copies, so what was drawn persists between repaints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "controls/button_layout.h"
#include "controls/control_font.h"
#include "controls/offscreen_surface.h"
#include "controls/property_bag.h"
#include "imaging/paint_effects.h"

namespace lum {

class CommandEx;

// What the button tells its owner. Every handler may destroy the button (or its dialog).
class CommandExEvents {
 public:
  virtual ~CommandExEvents() = default;
  virtual void Click(CommandEx&) {}
  virtual void KeyDown(CommandEx&, int16_t /*key*/, int16_t /*shift*/) {}
  virtual void KeyPress(CommandEx&, int16_t /*character*/) {}
  virtual void KeyUp(CommandEx&, int16_t /*key*/, int16_t /*shift*/) {}
  virtual void MouseDown(CommandEx&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  virtual void MouseMove(CommandEx&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  virtual void MouseUp(CommandEx&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  // A property was set: the container has something new to save.
  virtual void PropertyChanged(CommandEx&, const char* /*name*/) {}
};

class CommandEx {
 public:
  static constexpr uint32_t kDefaultForeColor = 0x80000012;  // system button text, when read from a bag
  static constexpr uint32_t kInitialForeColor = 16777215;    // white, for a button made in code
  static constexpr uint32_t kDefaultBackColor = 7031098;     // RGB 58, 73, 107
  static constexpr uint32_t kDefaultEndColor = 16370594;     // RGB 162, 203, 249
  static constexpr int32_t kDefaultSound = 101;

  explicit CommandEx(CommandExEvents* events = nullptr);
  ~CommandEx();
  CommandEx(const CommandEx&) = delete;
  CommandEx& operator=(const CommandEx&) = delete;

  // Creates the child window at a place in pixels of the parent's client area. The font starts
  // as the container's (the parent's WM_GETFONT when none is given).
  bool Create(HWND parent, int id, int x, int y, int width, int height, const ControlFont* containerFont = nullptr);
  HWND hwnd() const { return hwnd_; }

  // Properties. Setting one tells the owner and, all but Sound, redraws the button.
  const ControlFont& Font() const { return font_; }
  void SetFont(const ControlFont& font);
  uint32_t ForeColor() const { return foreColor_; }
  void SetForeColor(uint32_t colour);
  uint32_t BackColor() const { return backColor_; }
  void SetBackColor(uint32_t colour);
  const std::u16string& Caption() const { return caption_; }
  void SetCaption(const std::u16string& caption);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int32_t Button() const { return button_; }
  void SetButton(int32_t button);
  int32_t Shape() const { return shape_; }
  void SetShape(int32_t shape);
  int32_t PicturePlace() const { return picturePlace_; }
  void SetPicturePlace(int32_t place);
  int32_t Gradation() const { return gradation_; }
  void SetGradation(int32_t gradation);
  bool SolidFont() const { return solidFont_; }
  void SetSolidFont(bool solid);
  bool Tile() const { return tile_; }
  void SetTile(bool tile);
  uint32_t EndColor() const { return endColor_; }
  void SetEndColor(uint32_t colour);
  int32_t Sound() const { return sound_; }
  void SetSound(int32_t sound);
  // The button keeps its own copy of the picture (a bitmap or an icon); the caller keeps its own.
  PictureView Picture() const { return picture_; }
  void SetPicture(const PictureView& picture);

  // The saved properties: reading applies them in order and redraws; writing stores Button,
  // Shape, PicturePlace and Picture always and the others where they differ from the default.
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // Drawing steps, public as the control's own operations.
  void DrawButtonUp();
  void DrawButtonDown();
  void DispText(const std::u16string& text);
  void FillFace();  // `SetGradation`: the face's plain colour or gradient bands
  void FixFrame(int state);
  void SetRect();
  void SetTiles(const PixelRect& area);
  void DrawTilePicture2(int startX, int startY, int width, int height);
  // Draws a text in the caption's place and then the normal face over it; the caption stays.
  void ShowCaptionText(const std::u16string& text);
  // Plays WAVE resource `sound` of the program asynchronously; a missing one plays nothing.
  static void BeginPlaySound(int32_t sound);

  // Where things are, for the owner and for tests.
  PixelRect FaceRect() const { return face_; }
  PixelRect FocusRect() const { return ButtonFocusRect(face_, shape_); }
  const ButtonLayout& Layout() const { return layout_; }
  bool PressedLook() const { return pressedLook_; }

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Resized();
  void Redraw();  // the released face, when the control is ready
  void Present();
  void ClearToBackColor();
  void DrawPicture();
  void DrawFocus();
  void Changed(const char* name, bool redraw = true);
  void DrawButton(bool down);  // the up or down look
  // Stores a property's new value and announces the change.
  template <typename T>
  void Assign(T& field, T value, const char* name, bool redraw = true) {
    field = value;
    Changed(name, redraw);
  }
  void RebuildFont();
  void ReplacePicture(const PictureView& picture);

  // The pointer and keyboard steps. Each returns false when a handler destroyed the button.
  bool PressStep(int16_t shift, int x, int y);
  bool ReleaseStep(int16_t shift, int x, int y);
  bool ClickStep();
  bool OnKeyDown(WPARAM key);
  bool OnKeyUp(WPARAM key);

  CommandExEvents* events_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  HWND hwnd_ = nullptr;
  PaintEffects effects_;

  // The off-screen drawing of the whole control.
  OffscreenSurface surface_;
  HFONT fontHandle_ = nullptr;

  PixelRect client_, face_;
  ButtonLayout layout_;
  uint32_t greyText_ = 0;

  ControlFont font_;
  uint32_t foreColor_ = kInitialForeColor;
  uint32_t backColor_ = kDefaultBackColor;
  std::u16string caption_;
  bool enabled_ = true;
  int32_t button_ = 0;
  int32_t shape_ = 1;
  bool solidFont_ = true;
  uint32_t endColor_ = kDefaultEndColor;
  int32_t gradation_ = 1;
  int32_t picturePlace_ = kPictureLeft;
  bool tile_ = false;
  int32_t sound_ = kDefaultSound;
  PictureView picture_;  // `pctBmp`: owned
  // Worked out when the picture changes, not on every redraw: its size and, for a bitmap, the
  // transparent colour its top-left pixel names.
  SIZE pictureSize_{0, 0};
  uint32_t pictureMask_ = 0;
  // The window region is cleared once per shape and size, not on every redraw.
  SIZE regionSize_{-1, -1};
  int32_t regionShape_ = -1;

  bool keyHeld_ = false;
  bool pressedLook_ = false;
  bool ready_ = false;
  bool clickArmed_ = false;
  bool focusShown_ = false;
};

}  // namespace lum
