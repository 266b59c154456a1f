// The keyboard of the program's windows, the nested message loop of a form shown modally, and
// the other windows it keeps waiting.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <vector>

namespace lum {

// A window marked so takes the dialog keys (Tab, Shift+Tab, the arrows between option buttons,
// Enter and Escape) from every message loop of the program.
inline constexpr wchar_t kDialogKeysProperty[] = L"Lumbrel.DialogKeys";
inline void TakeDialogKeys(HWND window) { SetPropW(window, kDialogKeysProperty, reinterpret_cast<HANDLE>(1)); }

// True when the message was a dialog key of a marked window and has been handled. Only keys are
// looked at: asking for the mark is a round trip to the window system, and the repaint timer's
// message comes five times a second.
inline bool RouteDialogMessage(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  return root && GetPropW(root, kDialogKeysProperty) && IsDialogMessageW(root, &message);
}

// Passes a wheel notch on to `target` when the pointer is over it, whichever control has the
// focus; false when the pointer is elsewhere.
inline bool ForwardWheelTo(HWND target, WPARAM wParam, LPARAM lParam) {
  RECT area{};
  if (!target || !IsWindowVisible(target) || !GetWindowRect(target, &area)) return false;
  const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (!PtInRect(&area, at)) return false;
  SendMessageW(target, WM_MOUSEWHEEL, wParam, lParam);
  return true;
}

// Where the focus was when a form lost the front, so that it comes back there (and to the first
// control in tab order the first time) instead of resting on the form itself.
class DialogFocus {
 public:
  // For WM_ACTIVATE; true when it has set the focus and the message needs nothing more.
  bool OnActivate(HWND form, WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(form, focus)) saved_ = focus;
      return false;
    }
    HWND target =
        saved_ && IsWindow(saved_) && IsChild(form, saved_) ? saved_ : GetNextDlgTabItem(form, nullptr, FALSE);
    if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) return false;
    SetFocus(target);
    return true;
  }

 private:
  HWND saved_ = nullptr;
};

// Disables every other visible and enabled top-level window of this thread while a modal window
// is open, and enables them again when it closes, before it goes, so that the activation returns
// to them and not to another program's window. Click-through windows (the caption overlay) take
// no input and are left alone. A system dialog (colour, file) disables and enables its owner
// itself: that one is `spared`, and `modal` is null as the dialog does not exist yet.
class ModalRun {
 public:
  explicit ModalRun(HWND modal, HWND spared = nullptr) : modal_(modal), spared_(spared), outer_(Current()) {
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(this));
    Current() = this;
    if (modal_) SetWindowSubclass(modal_, ClosingProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~ModalRun() {
    Restore();
    if (modal_ && IsWindow(modal_)) RemoveWindowSubclass(modal_, ClosingProc, kSubclassId);
    if (Current() == this) Current() = outer_;
  }
  ModalRun(const ModalRun&) = delete;
  ModalRun& operator=(const ModalRun&) = delete;

  // The innermost modal run of this thread, or null.
  static ModalRun*& Current() {
    static thread_local ModalRun* current = nullptr;
    return current;
  }
  HWND modal() const { return modal_; }
  // A window of the program that appears while the modal window is open waits with the rest.
  void Join(HWND window) {
    if (!window || window == modal_ || !IsWindowEnabled(window)) return;
    EnableWindow(window, FALSE);
    disabled_.push_back(window);
  }
  void Restore() {
    for (HWND window : disabled_)
      if (IsWindow(window)) EnableWindow(window, TRUE);
    disabled_.clear();
  }

 private:
  static constexpr UINT_PTR kSubclassId = 0x4D6F;
  static BOOL CALLBACK DisableOne(HWND window, LPARAM self) {
    auto run = reinterpret_cast<ModalRun*>(self);
    if (window != run->modal_ && window != run->spared_ && IsWindowVisible(window) &&
        !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
      run->Join(window);
    return TRUE;
  }
  static LRESULT CALLBACK ClosingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
    if (message == WM_CLOSE || message == WM_DESTROY) reinterpret_cast<ModalRun*>(self)->Restore();
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ClosingProc, kSubclassId);
    return DefSubclassProc(window, message, wParam, lParam);
  }

  HWND modal_;
  HWND spared_;
  ModalRun* outer_;
  std::vector<HWND> disabled_;
};

// Runs messages until `window` (the form's own handle, which the form clears when its window
// goes) is null. A quit met meanwhile closes the form and is posted again for the outer loop.
inline void RunModalLoop(const HWND& window) {
  MSG message;
  while (window) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      if (ModalRun::Current()) ModalRun::Current()->Restore();
      if (window) DestroyWindow(window);
      break;
    }
    if (RouteDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Shows a form modally: `open` creates and shows it (false when it could not), and the call
// returns when the form's window has gone. Every other window of the program waits meanwhile;
// a visible owner is given the front again.
template <typename Open>
void ShowModally(HWND owner, const HWND& window, Open open) {
  if (!open()) return;
  {
    ModalRun run(window);
    RunModalLoop(window);
  }
  if (owner && IsWindow(owner) && IsWindowVisible(owner) && IsWindowEnabled(owner)) SetForegroundWindow(owner);
}

}  // namespace lum
