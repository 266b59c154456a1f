#include "controls/extended_list.h"

#include <ole2.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/dc_helpers.h"
#include "platform/form_window.h"
#include "platform/scoped_win.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {

constexpr wchar_t kWindowClass[] = L"LumbrelSpeciaList";
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragTimerMs = 60;
constexpr int kScrollBarInset = 2;  // pixels the bar sits right of and below the client's corner

}  // namespace

SpeciaList::SpeciaList(SpeciaListEvents* events) : events_(events) {
  m_Scroll.SetEvents(this);
  itemHeightPixels_ = std::max(1, PixelsY(kDefaultItemHeight));
}

SpeciaList::~SpeciaList() {
  *alive_ = false;
  RevokeDropTarget();
  if (hwnd_) DestroyWindow(hwnd_);
  surface_.Release();
  if (fontHandle_) DeleteObject(fontHandle_);
  if (markFont_) DeleteObject(markFont_);
  boxPicture_.Release();
  boxUncheckPicture_.Release();
}

bool SpeciaList::Create(HWND parent, int id, int x, int y, int width, int height, const ControlFont* containerFont) {
  if (hwnd_) return true;
  RegisterFormClass<SpeciaList>(kWindowClass, nullptr, CS_DBLCLKS, nullptr);
  font_ = containerFont ? *containerFont
                        : ControlFont::OfWindow(parent);
  CreateWindowExW(WS_EX_CLIENTEDGE, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, x, y,
                  width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                  GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  vscList_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_VERT, 0, 0, 0, 0, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  m_Scroll.Load(vscList_);
  m_Scroll.SetMin(0);
  m_Scroll.SetSmallChange(1);
  RebuildFont();
  if (oleDropMode_ == 1) SetOLEDropMode(1);  // set before the window existed
  ready_ = true;
  Layout();
  return true;
}

// --- items and state ------------------------------------------------------------------------

void SpeciaList::AddItem(const std::u16string& text, int32_t position, bool checked, int32_t count) {
  const int32_t before = model_.Count();
  model_.AddItem(text, position, checked, count);
  // Only the rows from the insertion on show other texts; appending redraws just the new rows.
  ForgetRowsFrom(position <= 0 || position > before + 1 ? before : position - 1);
  PaintChanged();
}

void SpeciaList::RemoveItems(int32_t first, int32_t count) {
  model_.RemoveItems(first, count);
  ForgetRowsFrom(first);
  PaintChanged();
}

void SpeciaList::ForgetRowsFrom(int32_t item) {
  for (RowLook& look : drawn_)
    if (look.item >= item) look = RowLook{-2};
}

void SpeciaList::Clear() {
  model_.Clear();
  SyncScrollBar();
  FullPaint();
}

void SpeciaList::Refresh() { FullPaint(); }

void SpeciaList::SetListIndex(int32_t item) {
  model_.SetListIndex(item);
  PaintChanged();
}

void SpeciaList::SetTopIndex(int32_t item) {
  model_.SetTopIndex(item);
  PaintChanged();
}

void SpeciaList::SetOptionValue(int32_t item) {
  if (model_.MoveOption(item)) PaintChanged();
}

void SpeciaList::SetItemChecked(int32_t item, bool checked) {
  if (!model_.SetChecked(item, checked)) return;
  model_.SetListIndex(item);
  PaintChanged();
}

void SpeciaList::SelAll() {
  model_.SelAll();
  PaintChanged();
}

int32_t SpeciaList::HitTest(float x, float y) const {
  // The model measures in pixels.
  return model_.HitTest(PixelsX(static_cast<int>(std::lround(x))), PixelsY(static_cast<int>(std::lround(y))));
}

// --- properties -----------------------------------------------------------------------------

void SpeciaList::SetStyle(int32_t style) {
  style_ = style;
  FullPaint();
}
void SpeciaList::SetBoxStyle(int32_t style) {
  boxStyle_ = style;
  if (style_ == 1) FullPaint();
}
void SpeciaList::SetSelStyle(int32_t style) {
  selStyle_ = style;
  FullPaint();
}
void SpeciaList::SetMultiSelect(int32_t mode) {
  model_.SetMultiSelect(mode);
  FullPaint();
}
void SpeciaList::SetMargin(int32_t twips) {
  margin_ = twips;
  FullPaint();
}
void SpeciaList::SetMaskColor(uint32_t colour) {
  maskColor_ = colour;
  FullPaint();
}
void SpeciaList::SetBackColor(uint32_t colour) {
  backColor_ = colour;
  FullPaint();
}
void SpeciaList::SetForeColor(uint32_t colour) {
  foreColor_ = colour;
  FullPaint();
}
float SpeciaList::ItemHeight() const { return static_cast<float>(TwipsOfY(itemHeightPixels_)); }

void SpeciaList::SetItemHeight(float twips) {
  itemHeightPixels_ = std::max(1, PixelsY(static_cast<int>(twips)));
  Layout();
}
void SpeciaList::SetItemWidth(float twips) {
  itemWidth_ = std::max(0.0f, twips);
  Layout();
}
void SpeciaList::SetItemNotifyEmpty(bool show) {
  notifyEmpty_ = show;
  FullPaint();
}
void SpeciaList::SetFont(const ControlFont& font) {
  font_ = font;
  RebuildFont();
  FullPaint();
}
void SpeciaList::SetBoxPicture(const PictureView& picture) {
  PictureView copy = picture.Copy();
  boxPicture_.Release();
  boxPicture_ = copy;
  FullPaint();
}
void SpeciaList::SetBoxUncheckPicture(const PictureView& picture) {
  PictureView copy = picture.Copy();
  boxUncheckPicture_.Release();
  boxUncheckPicture_ = copy;
  FullPaint();
}

void SpeciaList::ReadProperties(const PropertyBag& bag) {
  const bool wasReady = ready_;
  ready_ = false;  // one layout at the end
  SetFont(ControlFont::Read(bag, "Font", font_));
  SetForeColor(static_cast<uint32_t>(bag.ReadInt("ForeColor", kDefaultForeColor)));
  SetMaskColor(static_cast<uint32_t>(bag.ReadInt("MaskColor", kDefaultMaskColor)));
  SetBackColor(static_cast<uint32_t>(bag.ReadInt("BackColor", kDefaultBackColor)));
  SetItemHeight(static_cast<float>(bag.ReadInt("ItemHeight", kDefaultItemHeight)));
  SetMargin(static_cast<int32_t>(bag.ReadInt("Margin", kDefaultMargin)));
  auto picture = [&](const std::string& name) {
    return PictureView{static_cast<int32_t>(bag.ReadInt(name + "Kind", PictureView::kNone)),
                       reinterpret_cast<HANDLE>(static_cast<intptr_t>(bag.ReadInt(name, 0)))};
  };
  SetBoxUncheckPicture(picture("BoxUncheckPicture"));
  SetBoxPicture(picture("BoxPicture"));
  ready_ = wasReady;
  Layout();
}

void SpeciaList::WriteProperties(PropertyBag& bag) const {
  if (!(font_ == ControlFont::OfWindow(hwnd_ ? GetParent(hwnd_) : nullptr))) font_.Write(bag, "Font");
  bag.WriteIntUnlessDefault("ForeColor", foreColor_, kDefaultForeColor);
  bag.WriteIntUnlessDefault("MaskColor", maskColor_, kDefaultMaskColor);
  bag.WriteIntUnlessDefault("BackColor", backColor_, kDefaultBackColor);
  bag.WriteIntUnlessDefault("ItemHeight", std::lround(ItemHeight()), kDefaultItemHeight);
  bag.WriteIntUnlessDefault("Margin", margin_, kDefaultMargin);
  auto picture = [&](const std::string& name, const PictureView& view) {
    bag.WriteIntUnlessDefault(name, reinterpret_cast<intptr_t>(view.handle), 0);
    bag.WriteIntUnlessDefault(name + "Kind", view.kind, PictureView::kNone);
  };
  picture("BoxUncheckPicture", boxUncheckPicture_);
  picture("BoxPicture", boxPicture_);
  if (hwnd_) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    bag.WriteInt("_extentx", TwipsOfX(static_cast<int>(client.right)));
    bag.WriteInt("_extenty", TwipsOfY(static_cast<int>(client.bottom)));
  }
}

// --- dragging from the list -------------------------------------------------------------------

// A press with OLEDragMode 1 becomes a drag once the pointer leaves the system's drag
// rectangle around it; the press then neither extends the selection nor clicks.
bool SpeciaList::StartsDrag(WPARAM keys, int x, int y) {
  if (!dragArmed_ || !model_.Held() || !(keys & MK_LBUTTON)) return false;
  if (std::abs(x - dragFrom_.x) <= GetSystemMetrics(SM_CXDRAG) &&
      std::abs(y - dragFrom_.y) <= GetSystemMetrics(SM_CYDRAG))
    return false;
  dragArmed_ = false;
  model_.SetHeld(false);
  dragDirection_ = 0;
  KillTimer(hwnd_, kDragTimer);
  if (GetCapture() == hwnd_) ReleaseCapture();
  return true;
}

// --- layout and scrolling ---------------------------------------------------------------------

void SpeciaList::ApplyMetrics() {
  RECT client{};
  if (hwnd_) GetClientRect(hwnd_, &client);
  ListMetrics metrics;
  // The model measures in pixels, so that rows and cells fall where they are drawn at any DPI.
  metrics.width = client.right;
  metrics.height = client.bottom;
  metrics.itemHeight = itemHeightPixels_;
  metrics.itemWidth = itemWidth_ > 0 ? std::max(1, PixelsX(static_cast<int>(itemWidth_))) : 0;
  metrics.barWidth = GetSystemMetrics(SM_CXVSCROLL);
  model_.SetMetrics(metrics);
}

void SpeciaList::Layout() {
  if (!ready_ || !hwnd_) return;
  ApplyMetrics();
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(vscList_, client.right - barWidth + kScrollBarInset, kScrollBarInset, barWidth, client.bottom, FALSE);
  m_Scroll.SetLargeChange(model_.PageRows());
  // The row holding the current item becomes the top row.
  model_.SetTopIndex(std::max(model_.ListIndex(), 0));
  SyncScrollBar();
  FullPaint();
}

void SpeciaList::SyncScrollBar() {
  if (!vscList_) return;
  // Each setter redraws the bar, so only what the model changed is handed on.
  syncingBar_ = true;
  if (m_Scroll.Max() != model_.ScrollMax()) m_Scroll.SetMax(model_.ScrollMax());
  if (m_Scroll.Value() != model_.TopRow()) m_Scroll.SetValue(model_.TopRow());
  if (m_Scroll.LargeChange() != model_.PageRows()) m_Scroll.SetLargeChange(model_.PageRows());
  syncingBar_ = false;
  const bool visible = model_.BarVisible();
  if ((IsWindowVisible(vscList_) != FALSE) != visible) ShowWindow(vscList_, visible ? SW_SHOWNA : SW_HIDE);
}

void SpeciaList::Change(VScrollBarL& bar) {
  if (!syncingBar_) ScrolledTo(bar.Value());
}

void SpeciaList::Scroll(VScrollBarL& bar) {
  if (!syncingBar_) ScrolledTo(bar.Value());
}

void SpeciaList::ScrolledTo(int32_t topRow) {
  model_.SetTopRow(topRow);
  PaintChanged();
}

// --- drawing ----------------------------------------------------------------------------------

void SpeciaList::RebuildFont() {
  if (fontHandle_) DeleteObject(fontHandle_);
  fontHandle_ = font_.Create();
  if (markFont_) DeleteObject(markFont_);
  markFont_ = CreateFontW(-(BoxColumnPixels() + 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett");
}

int SpeciaList::BoxColumnPixels() const { return PixelsX(static_cast<int>(boxColumnWidth_)); }

void SpeciaList::EnsureSurface() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const SIZE size{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
  const SIZE have = surface_.Size();
  if (surface_ && size.cx == have.cx && size.cy == have.cy) return;
  surface_.Ensure(hwnd_, size.cx, size.cy);
  drawn_.clear();
}

int SpeciaList::VisibleSlots() const { return std::max(model_.VisibleCount(), model_.VisibleRow()); }

RECT SpeciaList::SlotRect(int slot) const {
  const int perRow = model_.VisibleRow();
  const int cellWidth = itemWidth_ > 0 ? std::max(1, PixelsX(static_cast<int>(itemWidth_))) : surface_.Size().cx;
  const int left = (slot % perRow) * cellWidth, top = (slot / perRow) * itemHeightPixels_;
  return {left, top, left + cellWidth, top + itemHeightPixels_};
}

RECT SpeciaList::ItemRect(int32_t item) const {
  const int slot = item - model_.TopIndex();
  if (item < 0 || item >= model_.Count() || slot < 0 || slot >= VisibleSlots()) return {0, 0, 0, 0};
  return SlotRect(slot);
}

SpeciaList::RowLook SpeciaList::LookOf(int slot) const {
  RowLook look;
  look.item = model_.TopIndex() + slot;
  if (look.item >= model_.Count()) {
    look.state = 3;
  } else {
    look.state = selStyle_ == 1 && model_.Selected(look.item) ? 2 : 1;
    look.checked = model_.Checked(look.item);
  }
  const int32_t current = model_.ListIndex();
  look.focus = hasFocus_ && ((selStyle_ == 1 && look.item == current && look.state != 3) ||
                             (current == -1 && model_.TopIndex() == 0 && slot == 0));
  return look;
}

void SpeciaList::FullPaint() {
  if (!ready_ || !hwnd_) return;
  EnsureSurface();
  RECT all{0, 0, surface_.Size().cx, surface_.Size().cy};
  FillSolid(surface_, all, ResolveColour(backColor_));
  drawn_.assign(static_cast<size_t>(VisibleSlots()), RowLook{-2});
  drawnTopRow_ = model_.TopRow();
  PaintChanged(all);
}

void SpeciaList::PaintChanged(const RECT& alsoShow) {
  if (!ready_ || !hwnd_) return;
  EnsureSurface();
  SyncScrollBar();
  const int slots = VisibleSlots();
  if (drawn_.size() != static_cast<size_t>(slots)) drawn_.assign(static_cast<size_t>(slots), RowLook{-2});
  RECT dirty = alsoShow;
  const SIZE size = surface_.Size();
  // A scroll moves what is drawn and leaves only the uncovered rows to draw.
  const int rows = model_.TopRow() - drawnTopRow_;
  if (rows != 0) {
    const int shift = rows * itemHeightPixels_;
    const int slotShift = rows * model_.VisibleRow();
    if (std::abs(rows) * itemHeightPixels_ < size.cy) {
      if (shift > 0)
        BitBlt(surface_, 0, 0, size.cx, size.cy - shift, surface_, 0, shift, SRCCOPY);
      else
        BitBlt(surface_, 0, -shift, size.cx, size.cy + shift, surface_, 0, 0, SRCCOPY);
    }
    std::vector<RowLook> moved(drawn_.size(), RowLook{-2});
    for (int slot = 0; slot < slots; ++slot) {
      const int from = slot + slotShift;
      if (from >= 0 && from < slots) moved[static_cast<size_t>(slot)] = drawn_[static_cast<size_t>(from)];
    }
    drawn_ = std::move(moved);
    drawnTopRow_ = model_.TopRow();
    dirty = {0, 0, size.cx, size.cy};
  }
  for (int slot = 0; slot < slots; ++slot) {
    const RowLook look = LookOf(slot);
    if (look == drawn_[static_cast<size_t>(slot)]) continue;
    DrawItem(surface_, slot, look);
    drawn_[static_cast<size_t>(slot)] = look;
    const RECT cell = SlotRect(slot);
    UnionRect(&dirty, &dirty, &cell);
  }
  if (!IsRectEmpty(&dirty)) Present(dirty);
}

void SpeciaList::DrawItem(HDC dc, int slot, const RowLook& look) {
  RECT cell = SlotRect(slot);
  const bool stripe = look.state == 1 && look.item % 2 == 0;
  COLORREF background = ResolveColour(look.state == 2 ? 0x8000000D : backColor_);
  if (stripe) background = ResolveColour(maskColor_);
  FillSolid(dc, cell, background);
  if (look.state != 3) {
    const int boxColumn = style_ == 1 ? BoxColumnPixels() + 2 : 0;
    RECT text = cell;
    text.left += boxColumn + PixelsX(margin_);
    ScopedSelect font(dc, fontHandle_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look.state == 1 ? ResolveColour(foreColor_) : RGB(255, 255, 255));
    const std::u16string& item = model_.Text(look.item);
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(item.c_str()), static_cast<int>(item.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    if (style_ == 1) DrawBox(dc, cell, look);
  }
  if (look.focus) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &cell);
  }
}

void SpeciaList::DrawBox(HDC dc, const RECT& cell, const RowLook& look) {
  const int c = BoxColumnPixels() + 2;
  const int left = cell.left;
  RECT column{left, cell.top, left + c, cell.bottom};
  FillSolid(dc, column, ResolveColour(backColor_));
  const int top = cell.top + (itemHeightPixels_ - c) / 2 + 1;
  const int bottom = top + c - 3;
  switch (boxStyle_) {
    case kOptionMarks:
    case kCheckMarks: {
      ScopedBrush face(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
      ScopedGdiObject<HPEN> outline(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
      ScopedSelect brush(dc, face.get());
      ScopedSelect pen(dc, outline.get());
      Rectangle(dc, left + 1, top, left + c - 1, bottom + 1);
      if (look.checked && markFont_) {
        ScopedSelect font(dc, markFont_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        TextOutW(dc, left, top, L"a", 1);
      }
      break;
    }
    case kSystemCheckBoxes: {
      RECT box{left + 1, top, left + c - 1, bottom + 1};
      DrawFrameControl(dc, &box, DFC_BUTTON, 0x800 | (look.checked ? 0x400 : 0));
      break;
    }
    case kPictures:
      if (!look.checked)
        effects_.PaintTransparentStdPic(dc, left + 1, cell.top + 1, c - 3, c - 3, boxUncheckPicture_, 0, 0,
                                        maskColor_);
      break;
    default:
      break;
  }
}

void SpeciaList::Present(const RECT& area) {
  if (hwnd_) surface_.CopyTo(hwnd_, area);
}

// --- the user's actions -----------------------------------------------------------------------

bool SpeciaList::ActOnBox(int32_t item) {
  if (style_ != 1 || item < 0 || item >= model_.Count()) return true;
  if (boxStyle_ == kOptionMarks) {
    const int32_t before = model_.OptionValue();
    model_.MoveOption(item);
    PaintChanged();
    if (model_.OptionValue() == before || !events_) return true;
    auto alive = alive_;
    events_->OptionChange(*this);
    return *alive;
  } else {
    // The handler sees what the item would become and may change it.
    bool checked = !model_.Checked(item);
    int32_t target = item;
    auto alive = alive_;
    if (events_) events_->ItemCheck(*this, checked, target);
    if (!*alive) return false;
    model_.SetChecked(target >= 0 && target < model_.Count() ? target : item, checked);
  }
  PaintChanged();
  return true;
}

// The wheel scrolls by the system's wheel-lines setting (a page for "one screen at a time"),
// leaving the current item and the marks as they are.
void SpeciaList::OnWheel(int delta) {
  wheelDelta_ += delta;
  const int notches = wheelDelta_ / WHEEL_DELTA;
  wheelDelta_ -= notches * WHEEL_DELTA;
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (notches == 0 || lines == 0) return;
  const int64_t rows = lines == WHEEL_PAGESCROLL ? model_.PageRows() : lines;
  const int64_t top = std::max<int64_t>(0, model_.TopRow() - notches * rows);
  SetTopIndex(static_cast<int32_t>(std::min<int64_t>(top, model_.ScrollMax()) * model_.VisibleRow()));
}

bool SpeciaList::OnKeyDown(WPARAM key) {
  auto alive = alive_;
  if (events_) events_->KeyDown(*this, static_cast<int16_t>(key), ShiftState());
  if (!*alive) return false;
  using Key = ListModel::Key;
  Key step;
  switch (key) {
    case VK_DOWN: step = Key::kDown; break;
    case VK_UP: step = Key::kUp; break;
    case VK_LEFT: step = Key::kLeft; break;
    case VK_RIGHT: step = Key::kRight; break;
    case VK_PRIOR: step = Key::kPageUp; break;
    case VK_NEXT: step = Key::kPageDown; break;
    case VK_HOME: step = Key::kHome; break;
    case VK_END: step = Key::kEnd; break;
    case VK_SPACE: return ActOnBox(model_.ListIndex());
    default: return true;
  }
  const bool click = model_.Navigate(step);
  PaintChanged();
  if (click && events_) events_->Click(*this);
  return *alive;
}

bool SpeciaList::OnButtonDown(LPARAM at, bool doubleClick) {
  auto alive = alive_;
  SetFocus(hwnd_);
  SetCapture(hwnd_);
  const int x = GET_X_LPARAM(at), y = GET_Y_LPARAM(at);
  const int32_t item = model_.HitTest(x, y);
  if (item >= 0) {
    const bool wasCurrent = item == model_.ListIndex();
    if (!wasCurrent) SetListIndex(item);
    const bool inBoxColumn = style_ == 1 && x - SlotRect(item - model_.TopIndex()).left < BoxColumnPixels() + 2;
    if ((wasCurrent && model_.MultiSelect() == ListModel::kSingle) || boxStyle_ == kOptionMarks || inBoxColumn) {
      if (!ActOnBox(item)) return false;
    }
  }
  model_.SetHeld(true);
  dragArmed_ = oleDragMode_ == 1;
  dragFrom_ = {x, y};
  if (events_) events_->MouseDown(*this, 1, ShiftState(), EventTwipsX(x),
                                  EventTwipsY(y));
  if (!*alive) return false;
  if (doubleClick && events_) events_->DblClick(*this);
  return *alive;
}

bool SpeciaList::OnMouseMove(WPARAM keys, LPARAM at) {
  const int x = GET_X_LPARAM(at), y = GET_Y_LPARAM(at);
  if (StartsDrag(keys, x, y)) {
    auto alive = alive_;
    OLEDrag();
    return *alive;
  }
  if (model_.Held()) {
    const int direction = y < 0 ? -1 : (y >= surface_.Size().cy ? 1 : 0);
    if (direction != dragDirection_) {
      dragDirection_ = direction;
      if (direction)
        SetTimer(hwnd_, kDragTimer, kDragTimerMs, nullptr);
      else
        KillTimer(hwnd_, kDragTimer);
    }
    if (!direction) {
      const int32_t item = model_.HitTest(x, y);
      if (item >= 0) {
        model_.ExtendTo(item);
        PaintChanged();
      }
    }
  }
  auto alive = alive_;
  if (events_) events_->MouseMove(*this, MouseButtons(keys), ShiftState(), EventTwipsX(x),
                                  EventTwipsY(y));
  return *alive;
}

void SpeciaList::OnDragTimer() {
  if (!model_.Held() || !dragDirection_) {
    KillTimer(hwnd_, kDragTimer);
    dragDirection_ = 0;
    return;
  }
  const int32_t step = dragDirection_ * model_.VisibleRow();
  const int32_t target = std::clamp(model_.ListIndex() + step, 0, std::max(model_.Count() - 1, 0));
  model_.ExtendTo(target);
  PaintChanged();
}

bool SpeciaList::OnButtonUp(LPARAM at) {
  const bool wasHeld = model_.Held();
  model_.SetHeld(false);
  dragArmed_ = false;
  dragDirection_ = 0;
  KillTimer(hwnd_, kDragTimer);
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!wasHeld) return true;
  auto alive = alive_;
  if (events_) events_->Click(*this);
  if (!*alive) return false;
  if (events_)
    events_->MouseUp(*this, 1, ShiftState(), EventTwipsX(GET_X_LPARAM(at)),
                     EventTwipsY(GET_Y_LPARAM(at)));
  return *alive;
}

LRESULT SpeciaList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      if (!surface_) FullPaint();
      if (surface_)
        BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
               paint.rcPaint.bottom - paint.rcPaint.top, surface_, paint.rcPaint.left, paint.rcPaint.top, SRCCOPY);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      hasFocus_ = message == WM_SETFOCUS;
      PaintChanged();
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CHAR:
      if (events_) events_->KeyPress(*this, static_cast<int16_t>(wParam));
      return 0;
    case WM_KEYUP:
      if (events_) events_->KeyUp(*this, static_cast<int16_t>(wParam), ShiftState());
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(lParam, message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(lParam);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (events_) {
        const float x = EventTwipsX(GET_X_LPARAM(lParam));
        const float y = EventTwipsY(GET_Y_LPARAM(lParam));
        if (message == WM_RBUTTONDOWN)
          events_->MouseDown(*this, 2, ShiftState(), x, y);
        else
          events_->MouseUp(*this, 2, ShiftState(), x, y);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) {
        model_.SetHeld(false);
        dragArmed_ = false;
        dragDirection_ = 0;
        KillTimer(hwnd_, kDragTimer);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kDragTimer) OnDragTimer();
      return 0;
    case WM_VSCROLL:
      m_Scroll.HandleVScroll(wParam, lParam);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      RevokeDropTarget();
      hwnd_ = nullptr;
      vscList_ = nullptr;
      surface_.Release();
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace lum
