// The clock window driven through its message loop: Enter, Escape and the wheel, and the other
// windows of the program waiting while it is open (and enabled again before it goes).
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <functional>
#include <utility>

#include "clock/clock_dialog.h"
#include "platform/profile.h"
#include "test_dialog.h"
#include "test_support.h"

namespace {

using lumtest::RunInsideLoop;

// Whether `other` was enabled when the window went: recorded at WM_DESTROY, after the hide that
// hands the activation on.
HWND watched = nullptr;
int enabledAtDestroy = -1;
LRESULT CALLBACK RecordDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_DESTROY) enabledAtDestroy = IsWindowEnabled(watched) ? 1 : 0;
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST(ClockDialogKeys, EscapeEnterAndTheWheelInsideTheModalRunWhileTheOtherWindowsWait) {
  lumtest::TempFolder folder;
  const lum::ProfileFile ini(folder.path() + u"\\LUM.INI");
  lum::SettingsStore store;
  lumtest::LoadStore(store, ini, {{u"CUSTOMIZE/CLOCK", u"0"}});
  const lum::Settings& settings = store.values();
  lumtest::TestWindow owner(WS_OVERLAPPEDWINDOW, 0, L"settings");
  lumtest::TestWindow other(WS_OVERLAPPEDWINDOW, 0, L"about");
  lumtest::TestWindow overlay(WS_POPUP, WS_EX_LAYERED | WS_EX_TRANSPARENT, L"overlay", 50, 20);
  auto stored = [&] { return ini.GetIniString(u"CUSTOMIZE", u"CLOCK"); };
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);

  // Escape: nothing stored; the owner and the other window wait, the click-through one does not;
  // both are enabled again before the window goes.
  lum::ClockDialog dialog(store);
  bool ran = false;
  auto checks = [&] {
    ran = true;
    ASSERT_NE(dialog.hwnd(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner.get()));
    EXPECT_FALSE(IsWindowEnabled(other.get()));
    EXPECT_TRUE(IsWindowEnabled(overlay.get()));
    // A window of the program that appears meanwhile (the settings window from the tray) joins them.
    {
      lumtest::TestWindow late(WS_OVERLAPPEDWINDOW, 0, L"late");
      ASSERT_NE(lum::ModalRun::Current(), nullptr);
      lum::ModalRun::Current()->Join(late.get());
      EXPECT_FALSE(IsWindowEnabled(late.get()));
    }
    watched = other.get();
    SetWindowSubclass(dialog.hwnd(), RecordDestroy, 1, 0);

    // The wheel: a notch on the list, and one sent to the window while the pointer is over the
    // list, each scroll by the system's wheel lines; a notch with the pointer elsewhere does not.
    HWND list = dialog.SpeciaList1().hwnd();
    RECT area{};
    GetWindowRect(list, &area);
    const LPARAM overList = MAKELPARAM(area.left + 20, area.top + 20);
    const LPARAM belowList = MAKELPARAM(area.left + 20, area.bottom + 10);
    ASSERT_EQ(dialog.SpeciaList1().TopIndex(), 0);
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), overList);
    EXPECT_EQ(dialog.SpeciaList1().TopIndex(), static_cast<int>(lines));
    SendMessageW(dialog.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), overList);
    EXPECT_EQ(dialog.SpeciaList1().TopIndex(), static_cast<int>(2 * lines));
    SendMessageW(dialog.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), belowList);
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(0, 3 * WHEEL_DELTA), overList);
    EXPECT_EQ(dialog.SpeciaList1().TopIndex(), 0) << "up past the first row stops there";
    EXPECT_EQ(dialog.SpeciaList1().OptionValue(), 0) << "the wheel moves no mark";
  };
  RunInsideLoop([&] {
    checks();
    // Escape reaches the window as a key press, through the modal loop's dialog keys.
    PostMessageW(dialog.SpeciaList1().hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
  });
  dialog.ShowModal(owner.get());
  EXPECT_TRUE(ran);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(stored(), u"");
  EXPECT_EQ(enabledAtDestroy, 1) << "the others are enabled before the window is destroyed";
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_TRUE(IsWindowEnabled(other.get()));

  // Down, Space, Enter as key presses: the next format is stored and the window closes.
  RunInsideLoop([&] {
    HWND list = dialog.SpeciaList1().hwnd();
    EXPECT_EQ(GetFocus(), list) << "the list has the focus when the window opens";
    for (WPARAM key : {VK_DOWN, VK_SPACE, VK_RETURN}) PostMessageW(list, WM_KEYDOWN, key, 1);
  });
  dialog.ShowModal(owner.get());
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_EQ(stored(), u"1");
  EXPECT_EQ(settings.clockFormatIndex, 1);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

}  // namespace
