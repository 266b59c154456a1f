// The program's own button and the drawing helpers under it: transparent and disabled picture
// drawing, the button's looks, its events inside a dialog driven by IsDialogMessage, a click
// that closes the dialog, saved properties, and no GDI growth.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/button_layout.h"
#include "controls/command_ex.h"
#include "imaging/paint_effects.h"
#include "test_dialog.h"
#include "test_support.h"

namespace {

using lumtest::DialogWindow;
using lumtest::Key;
using lum::CommandEx;
using lum::PaintEffects;
using lum::PictureView;

// A top-down 32-bit DIB in a memory DC, read and written as 0x00RRGGBB.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    original_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, original_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // The bitmap alone, as a picture holds it: no longer selected into this canvas's DC.
  HBITMAP bitmap() {
    SelectObject(dc_, original_);
    return bitmap_;
  }
  // Colours are given and read as COLORREF (0x00BBGGRR), as GDI takes them.
  void Set(int x, int y, COLORREF colour) {
    GdiFlush();
    bits_[y * width_ + x] = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  void Fill(COLORREF colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) Set(x, y, colour);
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Red and blue differ in the key colour, and its byte-swapped twin is drawn opaque: a copy
// that mixed up the byte order would treat the twin as transparent.
constexpr COLORREF kKey = RGB(255, 0, 128);
constexpr COLORREF kKeySwapped = RGB(128, 0, 255);

COLORREF Pattern(int x, int y) { return (x + y) % 2 ? RGB(10, 20, 30) : RGB(200, 100, 50); }

TEST(PaintEffects, TransparentCopyShowsTheDestinationThroughTheKeyColourOnly) {
  Canvas source(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) source.Set(x, y, x % 2 ? kKey : (y < 4 ? kKeySwapped : RGB(0, 200, 0)));
  PaintEffects effects;
  for (int form = 0; form < 2; ++form) {
    Canvas dest(16, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) dest.Set(x, y, Pattern(x, y));
    if (form == 0)
      effects.PaintTransparentDC(dest.dc(), 0, 0, 16, 8, source.dc(), 0, 0, kKey);
    else
      effects.PaintTransparentStdPic(dest.dc(), 0, 0, 16, 8, {PictureView::kBitmap, source.bitmap()}, 0, 0, kKey);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) {
        const COLORREF expected = source.At(x, y) == kKey ? Pattern(x, y) : source.At(x, y);
        ASSERT_EQ(dest.At(x, y), expected) << "form " << form << " at " << x << "," << y;
      }
  }
  // Other kinds draw nothing, and the normal drawing says so.
  Canvas dest(4, 4);
  dest.Fill(RGB(1, 2, 3));
  effects.PaintTransparentStdPic(dest.dc(), 0, 0, 4, 4, {PictureView::kMetafile, source.bitmap()}, 0, 0, kKey);
  EXPECT_EQ(dest.At(1, 1), RGB(1, 2, 3));
  EXPECT_EQ(effects.PaintNormalStdPic(dest.dc(), 0, 0, 4, 4, {}, 0, 0), PaintEffects::kInvalidPicture);
}

TEST(PaintEffects, DisabledLookEmbossesDarkStrokesAndLeavesTheRest) {
  const COLORREF face = RGB(192, 192, 192), highlight = RGB(255, 255, 255), shadow = RGB(128, 128, 128);
  struct Case {
    COLORREF mask, background, highlight, shadow;
  };
  // White mask: the direct path (white is background). Magenta mask: drawn over white first;
  // both colours black: the key colour must then be red, or nothing shows.
  const Case cases[] = {{RGB(255, 255, 255), RGB(255, 255, 255), highlight, shadow},
                        {RGB(255, 0, 255), RGB(255, 0, 255), highlight, shadow},
                        {RGB(255, 0, 255), RGB(255, 0, 255), RGB(0, 0, 0), RGB(0, 0, 0)}};
  PaintEffects effects;
  for (const Case& c : cases) {
    Canvas source(8, 8);
    source.Fill(c.background);
    for (int y = 2; y <= 5; ++y) source.Set(3, y, RGB(0, 0, 0));  // a dark stroke
    source.Set(6, 1, RGB(250, 250, 250));                          // a light pixel: background
    Canvas dest(8, 8);
    dest.Fill(face);
    effects.PaintDisabledStdPic(dest.dc(), 0, 0, 8, 8, {PictureView::kBitmap, source.bitmap()}, 0, 0, c.mask,
                                c.highlight, c.shadow);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        COLORREF expected = face;
        if (x == 4 && y >= 3 && y <= 6) expected = c.highlight;  // one pixel right and down
        if (x == 3 && y >= 2 && y <= 5) expected = c.shadow;
        ASSERT_EQ(dest.At(x, y), expected) << "mask " << std::hex << c.mask << std::dec << " at " << x << "," << y;
      }
  }
}

class Recorder : public lum::CommandExEvents {
 public:
  std::vector<std::string> events;
  std::function<void()> onClick;
  void Click(CommandEx&) override {
    events.push_back("Click");
    if (onClick) onClick();
  }
  void KeyDown(CommandEx&, int16_t key, int16_t) override { events.push_back("KeyDown " + std::to_string(key)); }
  void KeyUp(CommandEx&, int16_t key, int16_t) override { events.push_back("KeyUp " + std::to_string(key)); }
  void MouseDown(CommandEx&, int16_t button, int16_t, float, float) override {
    events.push_back("MouseDown " + std::to_string(button));
  }
  void MouseUp(CommandEx&, int16_t button, int16_t, float, float) override {
    events.push_back("MouseUp " + std::to_string(button));
  }
};

TEST(CommandEx, EventOrderForSpaceEnterAndMouseInsideADialog) {
  DialogWindow dialog;
  Recorder recorder;
  CommandEx button(&recorder);
  ASSERT_TRUE(button.Create(dialog.get(), 1, 10, 10, 100, 30));
  button.SetSound(100);
  SetFocus(button.hwnd());
  dialog.Pump();
  DialogWindow::commands = 0;
  using Events = std::vector<std::string>;

  Key(button.hwnd(), WM_KEYDOWN, VK_SPACE);
  Key(button.hwnd(), WM_KEYDOWN, VK_SPACE, true);  // held: KeyDown again, no second press
  Key(button.hwnd(), WM_KEYUP, VK_SPACE);
  dialog.Pump();
  EXPECT_EQ(recorder.events,
            (Events{"KeyDown 32", "MouseDown 1", "KeyDown 32", "KeyUp 32", "MouseUp 1", "Click"}));

  recorder.events.clear();
  Key(button.hwnd(), WM_KEYDOWN, VK_RETURN);
  dialog.Pump();
  EXPECT_EQ(recorder.events, (Events{"KeyDown 13", "Click"}));  // at once, on key down
  Key(button.hwnd(), WM_KEYUP, VK_RETURN);
  dialog.Pump();
  EXPECT_EQ(recorder.events.back(), "KeyUp 13");
  EXPECT_EQ(DialogWindow::commands, 0) << "the dialog took Enter as its default command";

  recorder.events.clear();
  SendMessageW(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));  // released outside: no click
  EXPECT_EQ(recorder.events, (Events{"MouseDown 1", "MouseUp 1", "Click", "MouseDown 1", "MouseUp 1"}));
}

TEST(CommandEx, AClickThatClosesTheDialogWhileTheSoundPlays) {
  auto dialog = std::make_unique<DialogWindow>();
  Recorder recorder;
  auto button = std::make_unique<CommandEx>(&recorder);
  ASSERT_TRUE(button->Create(dialog->get(), 1, 10, 10, 100, 30));
  button->SetSound(100);  // the chime: it is still playing when the dialog is gone
  const HWND buttonWindow = button->hwnd(), dialogWindow = dialog->get();
  recorder.onClick = [&] {
    DestroyWindow(dialogWindow);
    button.reset();
  };
  SendMessageW(buttonWindow, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"KeyDown 13", "Click"}));
  EXPECT_FALSE(IsWindow(buttonWindow));
  EXPECT_FALSE(button);
  for (int i = 0; i < 20; ++i) {
    lumtest::PumpMessages();
    Sleep(10);
  }
  dialog.reset();
}

TEST(CommandEx, FacesPicturePressedAndDisabledLooks) {
  DialogWindow dialog;
  CommandEx button;
  ASSERT_TRUE(button.Create(dialog.get(), 1, 10, 10, 120, 25));
  button.SetShape(0);  // a two-pixel frame only, so the face shows from row 2
  dialog.Pump();
  auto shot = [&] { return lumtest::CaptureWindow(button.hwnd()); };
  auto rgb = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };

  // A 25-pixel face: one-pixel bands from the back colour towards the end colour.
  const auto bands = lum::GradientBands(120, 25, 1, CommandEx::kDefaultBackColor, CommandEx::kDefaultEndColor);
  auto pixels = shot();
  ASSERT_EQ(pixels.height, 25);
  for (int y = 2; y < 23; ++y) EXPECT_EQ(pixels.at(60, y), rgb(bands[y].colour)) << "row " << y;
  button.SetGradation(0);
  EXPECT_EQ(shot().at(60, 20), rgb(CommandEx::kDefaultBackColor));

  // A system scroll arrow in place of the face.
  button.SetButton(1);
  EXPECT_EQ(shot().at(4, 12), rgb(GetSysColor(COLOR_BTNFACE)));
  button.SetButton(0);

  // An 8 x 8 picture on magenta with a red square: transparent, moved 2 pixels when pressed.
  Canvas picture(8, 8);
  picture.Fill(RGB(255, 0, 255));
  for (int y = 3; y < 5; ++y)
    for (int x = 3; x < 5; ++x) picture.Set(x, y, RGB(255, 0, 0));
  button.SetPicture({PictureView::kBitmap, picture.bitmap()});
  const int px = 16, py = 8;  // left place: 16 from the face's left, (25 - 8) / 2 rounded to even
  EXPECT_EQ(button.Layout().pictureX, px);
  EXPECT_EQ(button.Layout().pictureY, py);
  pixels = shot();
  EXPECT_EQ(pixels.at(px + 3, py + 3), 0xFF0000u);
  EXPECT_EQ(pixels.at(px, py), rgb(CommandEx::kDefaultBackColor)) << "magenta must be transparent";
  SendMessageW(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  pixels = shot();
  EXPECT_TRUE(button.PressedLook());
  EXPECT_EQ(pixels.at(px + 5, py + 5), 0xFF0000u);
  EXPECT_NE(pixels.at(px + 3, py + 3), 0xFF0000u);
  SendMessageW(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(shot().at(px + 3, py + 3), 0xFF0000u);

  // Disabled: the picture embossed, never moved.
  button.SetEnabled(false);
  pixels = shot();
  EXPECT_EQ(pixels.at(px + 3, py + 3), rgb(GetSysColor(COLOR_3DSHADOW)));
  EXPECT_EQ(pixels.at(px + 5, py + 5), rgb(GetSysColor(COLOR_3DHILIGHT)));
}

TEST(CommandEx, PropertiesRoundTripThroughTheBag) {
  DialogWindow dialog;
  CommandEx first;
  ASSERT_TRUE(first.Create(dialog.get(), 1, 10, 10, 90, 30));
  lum::PropertyBag defaults;
  first.WriteProperties(defaults);
  for (const char* always : {"Button", "Shape", "PicturePlace", "Picture"}) EXPECT_TRUE(defaults.Contains(always));
  for (const char* unlessChanged : {"Gradation", "SolidFont", "Tile", "EndColor", "Sound", "Caption"})
    EXPECT_FALSE(defaults.Contains(unlessChanged)) << unlessChanged;

  first.SetCaption(u"設定(&S)");
  first.SetGradation(2);
  first.SetShape(2);
  first.SetSolidFont(false);
  first.SetEndColor(0x80000005);
  first.SetSound(100);
  lum::PropertyBag bag;
  first.WriteProperties(bag);
  CommandEx second;
  ASSERT_TRUE(second.Create(dialog.get(), 2, 10, 50, 40, 20));
  second.ReadProperties(bag);
  EXPECT_EQ(second.Caption(), u"設定(&S)");
  EXPECT_EQ(second.Gradation(), 2);
  EXPECT_EQ(second.Shape(), 2);
  EXPECT_FALSE(second.SolidFont());
  EXPECT_EQ(second.EndColor(), 0x80000005u);
  EXPECT_EQ(second.Sound(), 100);
  EXPECT_EQ(second.FaceRect(), first.FaceRect());  // the saved size
  // A button made in code starts white; a bag without the colour gives the system text colour.
  EXPECT_EQ(second.ForeColor(), CommandEx::kInitialForeColor);
  bag.Remove("ForeColor");
  second.ReadProperties(bag);
  EXPECT_EQ(second.ForeColor(), CommandEx::kDefaultForeColor);
}

TEST(CommandEx, GdiObjectsStayFlatOverThousandsOfRedraws) {
  DialogWindow dialog;
  CommandEx button;
  ASSERT_TRUE(button.Create(dialog.get(), 1, 10, 10, 120, 30));
  Canvas picture(8, 8);
  picture.Fill(RGB(255, 0, 255));
  picture.Set(4, 4, RGB(0, 0, 0));
  PaintEffects effects;
  Canvas dest(8, 8);
  auto cycle = [&](int i) {
    button.SetPicture({PictureView::kBitmap, picture.bitmap()});
    button.SetCaption(i % 2 ? u"&News" : u"設定");
    button.SetGradation(i % 3);
    button.SetTile(i % 4 == 0);
    button.SetEnabled(i % 5 != 0);
    button.DrawButtonDown();
    SendMessageW(button.hwnd(), WM_SETFOCUS, 0, 0);
    button.DrawButtonUp();
    effects.PaintDisabledStdPic(dest.dc(), 0, 0, 8, 8, {PictureView::kBitmap, picture.bitmap()}, 0, 0,
                                RGB(255, 0, 255), 0x80000014, 0x80000010);
    effects.PaintTransparentStdPic(dest.dc(), 0, 0, 8, 8, {PictureView::kBitmap, picture.bitmap()}, 0, 0,
                                   RGB(255, 0, 255));
  };
  for (int i = 0; i < 10; ++i) cycle(i);
  const int before = lumtest::CountLiveGdiObjects();
  // Every setter redraws, so this is over a thousand redraws of the button.
  for (int i = 0; i < 150; ++i) cycle(i);
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before);
}

}  // namespace
