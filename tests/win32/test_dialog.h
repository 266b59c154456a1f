// A plain parent window driven the way a modeless dialog's loop drives it, and key messages
// posted as the keyboard would send them: for the tests of the program's own controls.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

#include "test_support.h"

namespace lumtest {

// Runs `check` once, from a timer, inside the modal loop that the test starts next.
inline std::function<void()>& CheckDuringLoop() {
  static std::function<void()> check;
  return check;
}
inline void CALLBACK RunCheckDuringLoop(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (CheckDuringLoop()) std::exchange(CheckDuringLoop(), nullptr)();
}
inline void RunInsideLoop(std::function<void()> check) {
  CheckDuringLoop() = std::move(check);
  SetTimer(nullptr, 0, 50, RunCheckDuringLoop);
}

// A parent window that records the commands a dialog would act on.
class DialogWindow {
 public:
  DialogWindow() {
    static const ATOM registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = Procedure;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = L"LumbrelTestDialog";
      return RegisterClassExW(&wc);
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, L"LumbrelTestDialog", L"dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            60, 60, 320, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~DialogWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    lumtest::PumpMessages();
  }
  HWND get() const { return hwnd_; }
  // Runs the queue the way a modeless dialog's loop does.
  void Pump() const {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (IsWindow(hwnd_) && IsDialogMessageW(hwnd_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  static inline int commands = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) ++commands;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND hwnd_;
};

// Posts a key message with the scan code and the flags of a real key stroke.
inline void Key(HWND window, UINT message, WPARAM key, bool repeat = false) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), 0)) << 16;
  LPARAM flags = 1 | scan;
  if (message == WM_KEYUP) flags |= static_cast<LPARAM>(0xC0000000u);
  if (repeat) flags |= 0x40000000;
  PostMessageW(window, message, key, flags);
}

}  // namespace lumtest
