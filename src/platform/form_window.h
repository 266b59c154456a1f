// The window procedure shared by the program's forms: a form passes itself as the creation
// parameter and then receives every message of its window in HandleMessage.
#pragma once

#include <windows.h>

namespace lum {

template <typename Form>
LRESULT CALLBACK RouteToForm(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->hwnd_ = window;
  }
  auto form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return form ? form->HandleMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

// Registers a form's (or one of the program's own controls') window class; registering it
// again (a second window of the kind) fails harmlessly.
template <typename Form>
void RegisterFormClass(const wchar_t* className, HICON icon, UINT style = 0,
                       HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = RouteToForm<Form>;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

}  // namespace lum
