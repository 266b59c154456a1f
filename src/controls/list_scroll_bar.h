// VScrollBarL: a system vertical scroll bar given a 32-bit range. Either the owner (the list box)
// creates the SCROLLBAR child, binds it with Load and forwards its WM_VSCROLL notifications here,
// or Create makes the control as a child window of its own class that holds the system bar and
// takes its notifications itself. System scroll bars never move their own thumb, so this wrapper
// moves it after every action.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/property_bag.h"
#include "controls/scroll_bar_model.h"

namespace lum {

class VScrollBarL;

// What the owner hears from the bar. Both run after the bar's state has settled.
class ScrollBarEvents {
 public:
  // After any change of the value, by code or by the user.
  virtual void Change(VScrollBarL& bar) { (void)bar; }
  // While the thumb is dragged; Value() already follows the thumb.
  virtual void Scroll(VScrollBarL& bar) { (void)bar; }

 protected:
  ~ScrollBarEvents() = default;
};

class VScrollBarL {
 public:
  static constexpr const wchar_t* kClassName = L"LumbrelVScrollBarL";

  explicit VScrollBarL(ScrollBarEvents* events = nullptr) : events_(events) {}
  ~VScrollBarL();
  VScrollBarL(const VScrollBarL&) = delete;
  VScrollBarL& operator=(const VScrollBarL&) = delete;

  void SetEvents(ScrollBarEvents* events) { events_ = events; }

  // Makes the control a child of `parent`: a window of its own class (registered once) with the
  // system bar filling it, bound as by Load. The window goes with this object or with its parent.
  HWND Create(HWND parent, int left, int top, int width, int height, int id = 0);

  // Binds the inner bar: takes its range and position, names itself and applies the range.
  // The small and large change stay as they are (the system bar has none).
  void Load(HWND scrollBar);
  // The control's own window when it was created, otherwise the bound bar.
  HWND hwnd() const { return host_ ? host_ : bar_; }
  HWND InnerBar() const { return bar_; }

  // Takes a WM_VSCROLL the owner received. False when it came from another bar.
  bool HandleVScroll(WPARAM wParam, LPARAM lParam);

  int32_t Value() const { return model_.Value(); }
  void SetValue(int32_t value);  // limited to the range; a different value raises Change
  int32_t Max() const { return model_.Max(); }
  void SetMax(int32_t maximum);
  int32_t Min() const { return model_.Min(); }
  void SetMin(int32_t minimum);
  int32_t SmallChange() const { return model_.SmallChange(); }
  void SetSmallChange(int32_t step);
  int32_t LargeChange() const { return model_.LargeChange(); }
  void SetLargeChange(int32_t step);
  // The inner bar's view of the state (its range is 0..32767 when scaled).
  const ScrollBarModel& Model() const { return model_; }

  bool Enabled() const;
  void SetEnabled(bool enabled);
  bool Visible() const;
  void SetVisible(bool visible);
  // Position and size in the parent's client pixels.
  RECT Bounds() const;
  int Left() const { return Bounds().left; }
  int Top() const { return Bounds().top; }
  int Width() const { return Bounds().right - Bounds().left; }
  int Height() const { return Bounds().bottom - Bounds().top; }
  void Move(int left, int top, int width, int height);
  bool TabStop() const;
  void SetTabStop(bool tabStop);
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index) { tabIndex_ = index; }
  const std::u16string& Tag() const { return tag_; }
  void SetTag(std::u16string tag) { tag_ = std::move(tag); }
  const std::u16string& Name() const { return name_; }
  HWND Parent() const { return hwnd() ? GetParent(hwnd()) : nullptr; }
  HWND Container() const { return Parent(); }

  // The saved properties: Min 0, Max 32767, Value 0, SmallChange 1, LargeChange 1, Enabled and
  // Visible true, TabStop true, TabIndex 0, Tag empty. Reading raises no Change.
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

 private:
  static LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ShowState();
  void Announce(ScrollEvents events);

  ScrollBarEvents* events_ = nullptr;
  HWND host_ = nullptr;
  HWND bar_ = nullptr;
  // Setting a system bar's range enables it again, so the wanted state is kept here.
  bool enabled_ = true;
  ScrollBarModel model_;
  std::u16string name_;
  std::u16string tag_;
  int tabIndex_ = 0;
};

}  // namespace lum
