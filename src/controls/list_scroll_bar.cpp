#include "controls/list_scroll_bar.h"

#include <algorithm>

namespace lum {

namespace {

int32_t ToInt32(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

bool ActionFor(WORD code, ScrollAction* action) {
  switch (code) {
    case SB_LINEUP:
      *action = ScrollAction::kLineUp;
      return true;
    case SB_LINEDOWN:
      *action = ScrollAction::kLineDown;
      return true;
    case SB_PAGEUP:
      *action = ScrollAction::kPageUp;
      return true;
    case SB_PAGEDOWN:
      *action = ScrollAction::kPageDown;
      return true;
    case SB_THUMBTRACK:
      *action = ScrollAction::kThumbTrack;
      return true;
    case SB_THUMBPOSITION:
      *action = ScrollAction::kThumbPosition;
      return true;
    case SB_TOP:
      *action = ScrollAction::kTop;
      return true;
    case SB_BOTTOM:
      *action = ScrollAction::kBottom;
      return true;
    case SB_ENDSCROLL:
      *action = ScrollAction::kEnd;
      return true;
    default:
      return false;
  }
}

}  // namespace

VScrollBarL::~VScrollBarL() {
  if (host_) DestroyWindow(host_);  // its procedure lets go of this object on the way
}

HWND VScrollBarL::Create(HWND parent, int left, int top, int width, int height, int id) {
  static const ATOM registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = HostProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  if (!registered || host_) return host_;
  // Dialog navigation looks into the host for the bar, which takes the focus and the keys.
  HWND host = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, left,
                              top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), this);
  if (!host) return nullptr;
  HWND bar = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, 0, width,
                             height, host, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!bar) {
    DestroyWindow(host);
    return nullptr;
  }
  // The new bar shows the properties this object already holds (read from a bag, say).
  bar_ = bar;
  name_ = u"VScrollBarL";
  EnableWindow(bar_, enabled_);
  ShowState();
  return host_;
}

LRESULT CALLBACK VScrollBarL::HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto created = static_cast<VScrollBarL*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    created->host_ = window;
  }
  auto self = reinterpret_cast<VScrollBarL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_VSCROLL:
      if (self->HandleVScroll(wParam, lParam)) return 0;
      break;
    case WM_SIZE:
      if (self->bar_) MoveWindow(self->bar_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (self->bar_) SetFocus(self->bar_);
      return 0;
    case WM_NCDESTROY:
      // The bar is a child of the host and is already gone.
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->host_ = nullptr;
      self->bar_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void VScrollBarL::Load(HWND scrollBar) {
  bar_ = scrollBar;
  name_ = u"VScrollBarL";
  enabled_ = bar_ && IsWindowEnabled(bar_);
  int minimum = 0, maximum = 0;
  if (!bar_ || !GetScrollRange(bar_, SB_CTL, &minimum, &maximum)) {
    ShowState();
    return;
  }
  model_.Load(minimum, maximum, GetScrollPos(bar_, SB_CTL));
  ShowState();
}

bool VScrollBarL::HandleVScroll(WPARAM wParam, LPARAM lParam) {
  if (!bar_ || reinterpret_cast<HWND>(lParam) != bar_) return false;
  ScrollAction action;
  if (!ActionFor(LOWORD(wParam), &action)) return true;
  // The thumb position travels as a signed 16-bit number, which the inner range always fits.
  const ScrollEvents events = model_.Act(action, static_cast<int16_t>(HIWORD(wParam)));
  ShowState();
  Announce(events);
  return true;
}

void VScrollBarL::SetValue(int32_t value) {
  const bool changed = model_.SetValue(value);
  ShowState();
  Announce({changed, false});
}

void VScrollBarL::SetMax(int32_t maximum) {
  const bool changed = model_.SetMax(maximum);
  ShowState();
  Announce({changed, false});
}

void VScrollBarL::SetMin(int32_t minimum) {
  const bool changed = model_.SetMin(minimum);
  ShowState();
  Announce({changed, false});
}

void VScrollBarL::SetSmallChange(int32_t step) { model_.SetSmallChange(step); }

void VScrollBarL::SetLargeChange(int32_t step) { model_.SetLargeChange(step); }

bool VScrollBarL::Enabled() const { return enabled_; }

void VScrollBarL::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (bar_) EnableWindow(bar_, enabled);
}

bool VScrollBarL::Visible() const { return hwnd() && (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }

void VScrollBarL::SetVisible(bool visible) {
  if (hwnd()) ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE);
}

RECT VScrollBarL::Bounds() const {
  RECT bounds{};
  if (!hwnd() || !GetWindowRect(hwnd(), &bounds)) return {};
  MapWindowPoints(nullptr, GetParent(hwnd()), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

void VScrollBarL::Move(int left, int top, int width, int height) {
  if (hwnd()) MoveWindow(hwnd(), left, top, width, height, TRUE);
}

bool VScrollBarL::TabStop() const { return bar_ && (GetWindowLongW(bar_, GWL_STYLE) & WS_TABSTOP) != 0; }

void VScrollBarL::SetTabStop(bool tabStop) {
  if (!bar_) return;
  const LONG style = GetWindowLongW(bar_, GWL_STYLE);
  SetWindowLongW(bar_, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void VScrollBarL::ReadProperties(const PropertyBag& bag) {
  model_.Load(ToInt32(bag.ReadInt("Min", 0)), ToInt32(bag.ReadInt("Max", 32767)), ToInt32(bag.ReadInt("Value", 0)));
  model_.SetSmallChange(ToInt32(bag.ReadInt("SmallChange", 1)));
  model_.SetLargeChange(ToInt32(bag.ReadInt("LargeChange", 1)));
  ShowState();
  tag_ = bag.ReadText("Tag", u"");
  tabIndex_ = ToInt32(bag.ReadInt("TabIndex", 0));
  SetEnabled(bag.ReadBool("Enabled", true));
  SetVisible(bag.ReadBool("Visible", true));
  SetTabStop(bag.ReadBool("TabStop", true));
}

void VScrollBarL::WriteProperties(PropertyBag& bag) const {
  bag.WriteIntUnlessDefault("Min", Min(), 0);
  bag.WriteIntUnlessDefault("Max", Max(), 32767);
  bag.WriteIntUnlessDefault("Value", Value(), 0);
  bag.WriteIntUnlessDefault("SmallChange", SmallChange(), 1);
  bag.WriteIntUnlessDefault("LargeChange", LargeChange(), 1);
  bag.WriteTextUnlessDefault("Tag", tag_, u"");
  bag.WriteIntUnlessDefault("TabIndex", tabIndex_, 0);
  bag.WriteBoolUnlessDefault("Enabled", enabled_, true);
  if (!bar_) return;  // the window's own properties are known only once bound
  bag.WriteBoolUnlessDefault("Visible", Visible(), true);
  bag.WriteBoolUnlessDefault("TabStop", TabStop(), true);
}

// The inner bar shows the model: its range, and the thumb where the model puts it. No page size,
// so that the thumb reaches the inner maximum.
void VScrollBarL::ShowState() {
  if (!bar_) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMin = model_.Range().InnerMinimum();
  info.nMax = model_.Range().InnerMaximum();
  info.nPage = 0;
  info.nPos = model_.InnerPosition();
  SetScrollInfo(bar_, SB_CTL, &info, TRUE);
  if (!enabled_) EnableWindow(bar_, FALSE);
}

void VScrollBarL::Announce(ScrollEvents events) {
  if (!events_) return;
  if (events.scroll) events_->Scroll(*this);
  if (events.change) events_->Change(*this);
}

}  // namespace lum
