#include "controls/command_ex.h"

#include <windowsx.h>

#include <algorithm>

#include "imaging/dc_helpers.h"
#include "platform/form_window.h"
#include "platform/scoped_win.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"

namespace lum {

namespace {

constexpr wchar_t kWindowClass[] = L"LumbrelCommandEx";
constexpr uint32_t kWhite = 16777215;
constexpr uint32_t kSystemHighlight3D = 0x80000014;
constexpr uint32_t kSystemShadow3D = 0x80000010;

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

CommandEx::CommandEx(CommandExEvents* events) : events_(events) {}

CommandEx::~CommandEx() {
  *alive_ = false;
  if (hwnd_) DestroyWindow(hwnd_);
  surface_.Release();
  if (fontHandle_) DeleteObject(fontHandle_);
  picture_.Release();
}

bool CommandEx::Create(HWND parent, int id, int x, int y, int width, int height, const ControlFont* containerFont) {
  if (hwnd_) return true;
  // No CS_DBLCLKS: a quick second click is a second press, as the button's users expect.
  RegisterFormClass<CommandEx>(kWindowClass, nullptr, 0, nullptr);
  greyText_ = GetSysColor(COLOR_GRAYTEXT);
  font_ = containerFont ? *containerFont
                        : ControlFont::OfWindow(parent);
  CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width, height, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  RebuildFont();
  ready_ = true;
  Resized();
  return true;
}

// --- properties -----------------------------------------------------------------------------

void CommandEx::Changed(const char* name, bool redraw) {
  auto alive = alive_;
  if (events_) events_->PropertyChanged(*this, name);
  if (*alive && redraw) Redraw();
}

void CommandEx::SetFont(const ControlFont& font) {
  font_ = font;
  RebuildFont();
  Changed("Font");
}
void CommandEx::SetForeColor(uint32_t colour) { Assign(foreColor_, colour, "ForeColor"); }
void CommandEx::SetBackColor(uint32_t colour) { Assign(backColor_, colour, "BackColor"); }
void CommandEx::SetCaption(const std::u16string& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, Wide(caption_));  // for accessibility tools and tests
  Changed("Caption");
}
void CommandEx::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
  Changed("Enabled");
}
void CommandEx::SetButton(int32_t button) { Assign(button_, button, "Button"); }
void CommandEx::SetShape(int32_t shape) { Assign(shape_, shape, "Shape"); }
void CommandEx::SetPicturePlace(int32_t place) { Assign(picturePlace_, place, "PicturePlace"); }
void CommandEx::SetGradation(int32_t gradation) { Assign(gradation_, gradation, "Gradation"); }
void CommandEx::SetSolidFont(bool solid) { Assign(solidFont_, solid, "SolidFont"); }
void CommandEx::SetTile(bool tile) { Assign(tile_, tile, "Tile"); }
void CommandEx::SetEndColor(uint32_t colour) { Assign(endColor_, colour, "EndColor"); }
void CommandEx::SetSound(int32_t sound) { Assign(sound_, sound, "Sound", false); }
void CommandEx::SetPicture(const PictureView& picture) {
  ReplacePicture(picture);
  Changed("Picture");
}

void CommandEx::ReplacePicture(const PictureView& picture) {
  PictureView copy = picture.Copy();
  picture_.Release();
  picture_ = copy;
  pictureSize_ = picture_.Size();
  pictureMask_ = 0;
  if (picture_.kind == PictureView::kBitmap) {
    ScopedMemoryDC source(nullptr);
    ScopedSelect select(source.get(), picture_.handle);
    pictureMask_ = GetPixel(source.get(), 0, 0) & 0x00FFFFFF;
  }
}

void CommandEx::ReadProperties(const PropertyBag& bag) {
  const bool wasReady = ready_;
  ready_ = false;  // one redraw at the end, not one per property
  SetFont(ControlFont::Read(bag, "Font", font_));
  SetForeColor(static_cast<uint32_t>(bag.ReadInt("ForeColor", kDefaultForeColor)));
  SetBackColor(static_cast<uint32_t>(bag.ReadInt("BackColor", kDefaultBackColor)));
  SetCaption(bag.ReadText("Caption", u""));
  SetEnabled(bag.ReadBool("Enabled", true));
  SetButton(static_cast<int32_t>(bag.ReadInt("Button", 0)));
  SetShape(static_cast<int32_t>(bag.ReadInt("Shape", 1)));
  SetPicturePlace(static_cast<int32_t>(bag.ReadInt("PicturePlace", kPictureLeft)));
  SetGradation(static_cast<int32_t>(bag.ReadInt("Gradation", 1)));
  SetSolidFont(bag.ReadBool("SolidFont", true));
  SetTile(bag.ReadBool("Tile", false));
  SetEndColor(static_cast<uint32_t>(bag.ReadInt("EndColor", kDefaultEndColor)));
  SetSound(static_cast<int32_t>(bag.ReadInt("Sound", kDefaultSound)));
  // A picture is saved by the handle its owner keeps; a bad one leaves the button without.
  const auto pictureHandle = bag.ReadInt("Picture", 0);
  const auto pictureKind = static_cast<int32_t>(bag.ReadInt("PictureKind", PictureView::kNone));
  SetPicture({pictureKind, reinterpret_cast<HANDLE>(static_cast<intptr_t>(pictureHandle))});
  if (hwnd_ && bag.Contains("_extentx") && bag.Contains("_extenty")) {
    const int width = PixelsX(static_cast<int>(bag.ReadInt("_extentx", 0)));
    const int height = PixelsY(static_cast<int>(bag.ReadInt("_extenty", 0)));
    if (width > 0 && height > 0) SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  }
  ready_ = wasReady;
  Resized();
}

void CommandEx::WriteProperties(PropertyBag& bag) const {
  if (!(font_ == ControlFont::OfWindow(hwnd_ ? GetParent(hwnd_) : nullptr))) font_.Write(bag, "Font");
  bag.WriteIntUnlessDefault("ForeColor", foreColor_, kDefaultForeColor);
  bag.WriteIntUnlessDefault("BackColor", backColor_, kDefaultBackColor);
  bag.WriteTextUnlessDefault("Caption", caption_, u"");
  bag.WriteBoolUnlessDefault("Enabled", enabled_, true);
  bag.WriteInt("Button", button_);
  bag.WriteInt("Shape", shape_);
  bag.WriteInt("PicturePlace", picturePlace_);
  bag.WriteIntUnlessDefault("Gradation", gradation_, 1);
  bag.WriteBoolUnlessDefault("SolidFont", solidFont_, true);
  bag.WriteBoolUnlessDefault("Tile", tile_, false);
  bag.WriteIntUnlessDefault("EndColor", endColor_, kDefaultEndColor);
  bag.WriteIntUnlessDefault("Sound", sound_, kDefaultSound);
  bag.WriteInt("Picture", reinterpret_cast<intptr_t>(picture_.handle));
  bag.WriteInt("PictureKind", picture_.kind);
  if (hwnd_) {
    bag.WriteInt("_extentx", TwipsOfX(client_.Width()));
    bag.WriteInt("_extenty", TwipsOfY(client_.Height()));
  }
}

// --- drawing --------------------------------------------------------------------------------

void CommandEx::RebuildFont() {
  if (fontHandle_) DeleteObject(fontHandle_);
  fontHandle_ = font_.Create();
}

void CommandEx::Resized() {
  if (!hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  client_ = {client.left, client.top, client.right, client.bottom};
  face_ = client_;
  if (!surface_.Ensure(hwnd_, client_.Width(), client_.Height())) return;
  Redraw();
}

void CommandEx::Redraw() {
  if (ready_) DrawButtonUp();
}

void CommandEx::Present() {
  if (hwnd_) surface_.CopyTo(hwnd_, ToRect(client_));
}

void CommandEx::ClearToBackColor() { FillSolid(surface_, ToRect(client_), ResolveColour(backColor_)); }

void CommandEx::DrawButtonUp() { DrawButton(false); }
void CommandEx::DrawButtonDown() { DrawButton(true); }

void CommandEx::DrawButton(bool down) {
  if (!surface_) return;
  focusShown_ = false;
  pressedLook_ = down;
  // A pressed scroll arrow is drawn over its up look; everything else starts from the back colour.
  if (!down || button_ == 0) ClearToBackColor();
  if (button_ != 0) {
    RECT face = ToRect(face_);
    DrawFrameControl(surface_, &face, DFC_SCROLL, static_cast<UINT>(button_ + 1) | (down ? DFCS_PUSHED : 0u));
    Present();
    return;
  }
  FillFace();
  FixFrame(down ? 1 : 0);
  if (tile_)
    SetRect();
  else
    DrawPicture();
  DispText(caption_);
  Present();
}

void CommandEx::FillFace() {
  if (!surface_) return;
  const auto bands = GradientBands(face_.Width(), face_.Height(), gradation_, ResolveColour(backColor_),
                                   ResolveColour(endColor_));
  const bool across = gradation_ == kGradationLeftToRight;
  for (const ColourBand& band : bands) {
    PixelRect area = across ? PixelRect{face_.left + band.offset, face_.top, face_.left + band.offset + band.size,
                                        face_.bottom}
                            : PixelRect{face_.left, face_.top + band.offset, face_.right,
                                        face_.top + band.offset + band.size};
    FillSolid(surface_, ToRect(area), band.colour);
  }
}

void CommandEx::FixFrame(int state) {
  if (!surface_) return;
  const SIZE size{face_.Width(), face_.Height()};
  if (hwnd_ && (shape_ != regionShape_ || size.cx != regionSize_.cx || size.cy != regionSize_.cy)) {
    SetWindowRgn(hwnd_, nullptr, FALSE);
    regionShape_ = shape_;
    regionSize_ = size;
  }
  if (tile_) SetTiles(face_);
  auto edge = [this](const PixelRect& area, UINT kind) {
    RECT r = ToRect(area);
    DrawEdge(surface_, &r, kind, BF_RECT);
  };
  if (state == 0) {
    edge(face_, EDGE_RAISED);
    if (shape_ == 1) {
      edge(face_.Inset(2), EDGE_SUNKEN);
      edge(face_.Inset(4), EDGE_RAISED);
    } else if (shape_ == 2) {
      edge(face_.Inset(3), EDGE_ETCHED);
    }
  } else if (shape_ == 1) {
    edge(face_, EDGE_RAISED);
    edge(face_.Inset(2), EDGE_SUNKEN);
    edge(face_.Inset(4), EDGE_SUNKEN);
  } else if (shape_ == 2) {
    edge(face_, EDGE_RAISED);
    edge(face_.Inset(3), EDGE_SUNKEN);
  } else {
    edge(face_, EDGE_SUNKEN);
  }
}

void CommandEx::SetRect() {
  const SIZE size = pictureSize_;
  layout_ = LayoutButton(client_, face_, shape_, picturePlace_, tile_, size.cx, size.cy, layout_);
}

void CommandEx::SetTiles(const PixelRect& area) {
  DrawTilePicture2(area.left, area.top, area.right, area.bottom);
}

void CommandEx::DrawTilePicture2(int startX, int startY, int width, int height) {
  if (!surface_ || !picture_.Drawable()) return;
  const SIZE tile = pictureSize_;
  if (tile.cx <= 0 || tile.cy <= 0) return;  // nothing to step by
  ScopedMemoryDC source(surface_);
  ScopedSelect select(source.get(), picture_.kind == PictureView::kBitmap ? picture_.handle : nullptr);
  for (int64_t x = startX; x <= width; x += tile.cx) {
    for (int64_t y = startY; y <= height; y += tile.cy) {
      const int left = static_cast<int>(x), top = static_cast<int>(y);
      const BOOL drawn = picture_.kind == PictureView::kIcon
                             ? DrawIconEx(surface_, left, top, static_cast<HICON>(picture_.handle), 0, 0, 0,
                                          nullptr, DI_NORMAL)
                             : BitBlt(surface_, left, top, tile.cx, tile.cy, source.get(), 0, 0, SRCCOPY);
      if (!drawn) return;  // a failed tile ends the tiling
    }
  }
}

void CommandEx::DrawPicture() {
  SetRect();
  if (!picture_.Drawable()) return;
  const SIZE size = pictureSize_;
  const uint32_t mask = pictureMask_;
  if (enabled_) {
    const int d = pressedLook_ ? 2 : 0;
    effects_.PaintTransparentStdPic(surface_, layout_.pictureX + d, layout_.pictureY + d, size.cx, size.cy, picture_,
                                    0, 0, mask);
  } else {
    effects_.PaintDisabledStdPic(surface_, layout_.pictureX, layout_.pictureY, size.cx, size.cy, picture_, 0, 0, mask,
                                 kSystemHighlight3D, kSystemShadow3D);
  }
}

void CommandEx::DispText(const std::u16string& text) {
  if (!surface_) return;
  const CaptionRects rects = ButtonCaptionRects(layout_.text, pressedLook_);
  ScopedSelect font(surface_, fontHandle_);
  SetBkMode(surface_, TRANSPARENT);
  auto draw = [&](const PixelRect& area, COLORREF colour) {
    RECT r = ToRect(area);
    SetTextColor(surface_, colour);
    DrawTextW(surface_, Wide(text), -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  };
  if (!enabled_) {
    draw(rects.shadow, ResolveColour(kWhite));
    draw(rects.main, greyText_);
    return;
  }
  if (solidFont_) draw(rects.shadow, greyText_);
  draw(rects.main, ResolveColour(foreColor_));
}

void CommandEx::ShowCaptionText(const std::u16string& text) {
  DispText(text);
  Present();
  Redraw();
}

void CommandEx::DrawFocus() {
  if (!surface_ || button_ != 0 || focusShown_) return;
  RECT r = ToRect(FocusRect());
  DrawFocusRect(surface_, &r);  // exclusive-or: drawing it twice would take it away
  focusShown_ = true;
  Present();
}

void CommandEx::BeginPlaySound(int32_t sound) { PlayWaveResourceAsync(sound); }

// --- pointer and keyboard -------------------------------------------------------------------

bool CommandEx::PressStep(int16_t shift, int x, int y) {
  if (x > face_.right)
    DrawButtonUp();
  else
    DrawButtonDown();
  DrawFocus();
  auto alive = alive_;
  if (events_) events_->MouseDown(*this, 1, shift, static_cast<float>(x), static_cast<float>(y));
  if (!*alive) return false;
  clickArmed_ = true;
  return true;
}

bool CommandEx::ReleaseStep(int16_t shift, int x, int y) {
  DrawButtonUp();
  DrawFocus();
  auto alive = alive_;
  if (events_) events_->MouseUp(*this, 1, shift, static_cast<float>(x), static_cast<float>(y));
  return *alive;
}

bool CommandEx::ClickStep() {
  if (!clickArmed_) return true;
  clickArmed_ = false;
  // The handler may close the dialog and destroy this button: keep what is needed after it.
  const int32_t sound = sound_;
  auto alive = alive_;
  if (events_) events_->Click(*this);
  BeginPlaySound(sound);
  return *alive;
}

bool CommandEx::OnKeyDown(WPARAM key) {
  auto alive = alive_;
  if (events_) events_->KeyDown(*this, static_cast<int16_t>(key), ShiftState());
  if (!*alive) return false;
  if (keyHeld_) return true;  // a held key does not repeat the action
  if (key == VK_SPACE) {
    keyHeld_ = true;
    return PressStep(ShiftState(), 0, 0);
  }
  if (key == VK_RETURN) {
    keyHeld_ = true;
    clickArmed_ = true;
    return ClickStep();
  }
  return true;
}

bool CommandEx::OnKeyUp(WPARAM key) {
  auto alive = alive_;
  if (events_) events_->KeyUp(*this, static_cast<int16_t>(key), ShiftState());
  if (!*alive) return false;
  if (key == VK_SPACE) {
    keyHeld_ = false;
    return ReleaseStep(ShiftState(), 0, 0) && ClickStep();
  }
  if (key == VK_RETURN) keyHeld_ = false;
  return true;
}

LRESULT CommandEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case WM_SIZE:
      Resized();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the copy in WM_PAINT covers everything
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (surface_) BitBlt(dc, 0, 0, client_.Width(), client_.Height(), surface_, 0, 0, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_GETDLGCODE: {
      // Enter must reach the button, not become the dialog's default command.
      const MSG* pending = reinterpret_cast<const MSG*>(lParam);
      LRESULT code = DLGC_WANTCHARS;
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETFOCUS:
      DrawFocus();
      return 0;
    case WM_KILLFOCUS:
      keyHeld_ = false;
      Redraw();
      return 0;
    case WM_ENABLE:
      enabled_ = wParam != 0;
      Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      if (GetFocus() != window) SetFocus(window);
      SetCapture(window);
      PressStep(ShiftState(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP: {
      const bool captured = GetCapture() == window;
      if (captured) ReleaseCapture();
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!ReleaseStep(ShiftState(), at.x, at.y)) return 0;
      RECT client = ToRect(client_);
      if (captured && PtInRect(&client, at))
        ClickStep();
      else
        clickArmed_ = false;  // released elsewhere: no click
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (events_) {
        events_->MouseMove(*this, MouseButtons(wParam), ShiftState(), static_cast<float>(GET_X_LPARAM(lParam)),
                           static_cast<float>(GET_Y_LPARAM(lParam)));
      }
      return 0;
    }
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_KEYUP:
      OnKeyUp(wParam);
      return 0;
    case WM_CHAR:
      if (events_) events_->KeyPress(*this, static_cast<int16_t>(wParam));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      surface_.Release();
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace lum
