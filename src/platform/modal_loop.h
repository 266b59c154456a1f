// The nested message loop of a form shown modally.
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

}  // namespace lum
