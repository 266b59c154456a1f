// The nested message loop of a form shown modally, and the owner it keeps waiting.
#pragma once

#include <windows.h>

namespace lum {

// Runs messages until `window` (the form's own handle, which the form clears when its window
// goes) is null. A quit met meanwhile closes the form and is posted again for the outer loop.
inline void RunModalLoop(const HWND& window) {
  MSG message;
  while (window) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      if (window) DestroyWindow(window);
      break;
    }
    if (window && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Shows a form modally: `open` creates and shows it (false when it could not), and the call
// returns when the form's window has gone. An owner that was visible and enabled is disabled
// meanwhile and then given the front again.
template <typename Open>
void ShowModally(HWND owner, const HWND& window, Open open) {
  const bool disableOwner = owner && IsWindowVisible(owner) && IsWindowEnabled(owner);
  if (!open()) return;
  if (disableOwner) EnableWindow(owner, FALSE);
  RunModalLoop(window);
  if (disableOwner && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
}

}  // namespace lum
