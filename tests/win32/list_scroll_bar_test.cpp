// The list scroll bar over a real system scroll bar: the owner window forwards WM_VSCROLL to it,
// as the list box does, and a recorder keeps the events in order.
#include "controls/list_scroll_bar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

using lum::VScrollBarL;

class Recorder : public lum::ScrollBarEvents {
 public:
  void Change(VScrollBarL& bar) override { log.push_back("change " + std::to_string(bar.Value())); }
  void Scroll(VScrollBarL& bar) override { log.push_back("scroll " + std::to_string(bar.Value())); }
  std::vector<std::string> Take() { return std::exchange(log, {}); }
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

// A top-level owner with one vertical scroll bar child whose notifications go to `bar`.
class Owner {
 public:
  Owner() {
    static const ATOM registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Procedure;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"LumbrelScrollOwner";
      return RegisterClassW(&wc);
    }();
    (void)registered;
    window_ = CreateWindowExW(0, L"LumbrelScrollOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 200, 260,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    inner_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 10, 10, 17, 200, window_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~Owner() {
    DestroyWindow(window_);
    lumtest::PumpMessages();
  }
  HWND window() const { return window_; }
  HWND inner() const { return inner_; }
  void Notify(WORD code, int16_t position = 0) {
    SendMessageW(window_, WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(inner_));
  }
  int Thumb() const { return GetScrollPos(inner_, SB_CTL); }
  std::pair<int, int> InnerRange() const {
    int low = 0, high = 0;
    GetScrollRange(inner_, SB_CTL, &low, &high);
    return {low, high};
  }

  Recorder recorder;
  VScrollBarL bar{&recorder};

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_VSCROLL && owner && owner->bar.HandleVScroll(wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  HWND inner_ = nullptr;
};

TEST(VScrollBarL, ScaledBarDrivenByNotificationsAndKeys) {
  Owner owner;
  ASSERT_TRUE(owner.inner());
  SetScrollRange(owner.inner(), SB_CTL, 0, 50, FALSE);
  SetScrollPos(owner.inner(), SB_CTL, 20, FALSE);
  owner.bar.Load(owner.inner());
  EXPECT_EQ(owner.bar.Name(), u"VScrollBarL");
  EXPECT_EQ(owner.bar.Max(), 50);
  EXPECT_EQ(owner.bar.Value(), 20);

  owner.bar.SetMax(100000);
  EXPECT_EQ(owner.InnerRange(), std::make_pair(0, 32767));
  owner.bar.SetValue(50000);
  EXPECT_EQ(owner.Thumb(), 16383);
  owner.bar.SetValue(50000);  // the same value: no second Change
  EXPECT_EQ(owner.recorder.Take(), Log{"change 50000"});

  owner.Notify(SB_LINEDOWN);  // the inner step is 0 raised to 1; the outer step is SmallChange
  owner.Notify(SB_ENDSCROLL);
  EXPECT_EQ(owner.bar.Value(), 50001);
  EXPECT_EQ(owner.Thumb(), 16383);
  owner.bar.SetLargeChange(1000);
  // Keys reach the owner through the system bar itself, as SB_PAGEDOWN, SB_BOTTOM, SB_LINEUP and SB_TOP.
  for (WPARAM key : {VK_NEXT, VK_END, VK_UP, VK_HOME}) SendMessageW(owner.inner(), WM_KEYDOWN, key, 0);
  EXPECT_EQ(owner.recorder.Take(), (Log{"change 50001", "change 51001", "change 100000", "change 99999", "change 0"}));
  EXPECT_EQ(owner.Thumb(), 0);
  owner.Notify(SB_LINEUP);  // already at the top: nothing moves, nothing is raised
  EXPECT_TRUE(owner.recorder.Take().empty());

  // A drag scrolls with the thumb under the mouse and changes once on release.
  owner.Notify(SB_THUMBTRACK, 16384);
  EXPECT_EQ(owner.Thumb(), 16384);
  owner.Notify(SB_THUMBTRACK, 32767);
  EXPECT_EQ(owner.Thumb(), 32767);
  owner.Notify(SB_THUMBPOSITION, 32766);
  owner.Notify(SB_ENDSCROLL);
  EXPECT_EQ(owner.recorder.Take(), (Log{"scroll 50001", "scroll 100000", "change 99996"}));
  EXPECT_EQ(owner.Thumb(), 32765);  // where the value puts it: 32767 x 99996 / 100000

  // Another bar's notification is not this one's.
  SendMessageW(owner.window(), WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(owner.window()));
  EXPECT_EQ(owner.bar.Value(), 99996);
}

TEST(VScrollBarL, SmallRangePassesThroughAndPropertiesRoundTrip) {
  Owner owner;
  owner.bar.Load(owner.inner());
  owner.bar.SetMax(100);
  owner.bar.SetSmallChange(3);
  owner.bar.SetLargeChange(10);
  EXPECT_EQ(owner.InnerRange(), std::make_pair(0, 100));
  for (int value : {0, 1, 37, 99, 100}) {
    owner.bar.SetValue(value);
    EXPECT_EQ(owner.Thumb(), value);
  }
  owner.bar.SetValue(37);
  owner.recorder.Take();
  owner.Notify(SB_LINEUP);
  owner.Notify(SB_PAGEDOWN);
  owner.Notify(SB_THUMBTRACK, 80);
  owner.Notify(SB_THUMBPOSITION, 80);
  EXPECT_EQ(owner.recorder.Take(), (Log{"change 34", "change 44", "scroll 80", "change 80"}));
  EXPECT_EQ(owner.Thumb(), 80);
  owner.bar.SetMax(50);  // the value is limited to the new range, and says so
  EXPECT_EQ(owner.recorder.Take(), Log{"change 50"});
  owner.bar.SetValue(-20);
  EXPECT_EQ(owner.bar.Value(), 0);

  // Negative minimum below the 16-bit positions: scaled, and the thumb still ends at the ends.
  owner.bar.SetMin(-100000);
  owner.bar.SetMax(100);
  EXPECT_EQ(owner.InnerRange(), std::make_pair(0, 32767));
  EXPECT_EQ(owner.Thumb(), 32734);

  owner.bar.SetTag(u"rows");
  owner.bar.SetEnabled(false);
  owner.bar.Move(5, 6, 20, 120);
  lum::PropertyBag bag;
  owner.bar.WriteProperties(bag);
  EXPECT_FALSE(bag.Contains("Visible"));  // defaults are left out
  Owner other;
  other.bar.Load(other.inner());
  other.bar.ReadProperties(bag);
  EXPECT_TRUE(other.recorder.Take().empty());  // reading properties raises nothing
  EXPECT_EQ(other.bar.Min(), -100000);
  EXPECT_EQ(other.bar.Max(), 100);
  EXPECT_EQ(other.bar.Value(), 0);
  EXPECT_EQ(other.bar.SmallChange(), 3);
  EXPECT_EQ(other.bar.LargeChange(), 10);
  EXPECT_EQ(other.bar.Tag(), u"rows");
  EXPECT_FALSE(other.bar.Enabled());
  EXPECT_EQ(other.Thumb(), 32734);
  EXPECT_EQ(owner.bar.Left(), 5);
  EXPECT_EQ(owner.bar.Height(), 120);
  EXPECT_EQ(owner.bar.Parent(), owner.window());
}

// Made as a window of its own class, the control takes the system bar's notifications itself,
// keeps the bar filling it, and goes away with its parent or with its object, whichever is first.
TEST(VScrollBarL, OwnWindowHoldsTheBarAndOutlivesNeither) {
  Owner parent;  // only a parent here: its procedure forwards nothing of this control's
  Recorder recorder;
  auto bar = std::make_unique<VScrollBarL>(&recorder);
  bar->SetMax(200000);
  bar->SetLargeChange(5000);
  bar->SetEnabled(false);
  HWND host = bar->Create(parent.window(), 40, 10, 17, 150, 7);
  ASSERT_TRUE(host);
  EXPECT_EQ(bar->Create(parent.window(), 0, 0, 1, 1), host);  // once only
  HWND inner = bar->InnerBar();
  ASSERT_TRUE(inner);
  EXPECT_EQ(GetParent(inner), host);
  EXPECT_EQ(GetDlgCtrlID(host), 7);
  wchar_t className[64] = {};
  GetClassNameW(host, className, 64);
  EXPECT_EQ(std::wstring(className), VScrollBarL::kClassName);
  int low = 0, high = 0;
  GetScrollRange(inner, SB_CTL, &low, &high);
  EXPECT_EQ(high, 32767);  // the properties held before the window existed are shown
  EXPECT_FALSE(IsWindowEnabled(inner));
  bar->SetValue(100000);
  EXPECT_FALSE(IsWindowEnabled(inner));  // a new range does not enable the bar again
  bar->SetEnabled(true);

  SendMessageW(inner, WM_KEYDOWN, VK_NEXT, 0);  // reaches the host as SB_PAGEDOWN
  EXPECT_EQ(recorder.Take(), (Log{"change 100000", "change 105000"}));
  EXPECT_EQ(GetScrollPos(inner, SB_CTL), 17202);  // 32767 x 105000 / 200000, truncated

  bar->Move(5, 6, 20, 90);
  RECT client{};
  GetClientRect(inner, &client);
  EXPECT_EQ(client.right, 20);
  EXPECT_EQ(client.bottom, 90);
  EXPECT_EQ(bar->Top(), 6);
  EXPECT_EQ(bar->Parent(), parent.window());

  bar.reset();  // the object goes first: its window with it
  EXPECT_FALSE(IsWindow(host));
  EXPECT_FALSE(IsWindow(inner));

  auto orphan = std::make_unique<VScrollBarL>(&recorder);
  HWND otherParent = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(orphan->Create(otherParent, 0, 0, 17, 50));
  DestroyWindow(otherParent);  // the parent goes first: the object lets go of its windows
  EXPECT_EQ(orphan->hwnd(), nullptr);
  orphan->SetValue(5);  // no window to show it on, but the value still holds
  EXPECT_EQ(orphan->Value(), 5);
  orphan.reset();
}

// Driving the bar and redrawing it a thousand times makes no GDI objects.
TEST(VScrollBarL, RedrawsLeaveNoObjects) {
  Owner owner;
  owner.bar.Load(owner.inner());
  owner.bar.SetMax(100000);
  auto round = [&](int i) {
    owner.Notify(i % 2 ? SB_PAGEDOWN : SB_LINEUP);
    owner.bar.SetValue(i * 97);
    RedrawWindow(owner.inner(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  };
  for (int i = 0; i < 5; ++i) round(i);
  const int before = lumtest::CountLiveGdiObjects();
  for (int i = 0; i < 1000; ++i) round(i);
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before);
}

}  // namespace
