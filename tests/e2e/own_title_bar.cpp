// e2e_own_title_bar: a window that draws its own title bar, as browsers, editors and terminals
// do on Windows 10 and 11. It has a caption style, but its answer to WM_NCCALCSIZE gives the
// client area the whole caption band, and it paints coloured tabs there: a caption painted or
// laid over it by another program would hide them.
//
//   e2e_own_title_bar [X Y WIDTH HEIGHT]
#include <windows.h>

#include <cstdlib>

namespace {

constexpr wchar_t kClass[] = L"LumbrelTestOwnTitleBar";
constexpr int kBandHeight = 40;  // the tab strip, taller than any classic caption

void PaintTabs(HWND window, HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  auto fill = [dc](RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  };
  fill(client, RGB(255, 255, 255));
  fill({0, 0, client.right, kBandHeight}, RGB(32, 32, 48));
  const COLORREF tabs[] = {RGB(220, 40, 40), RGB(40, 180, 60), RGB(40, 90, 220)};
  for (int i = 0; i < 3; ++i) fill({8 + i * 110, 6, 8 + i * 110 + 100, kBandHeight}, tabs[i]);
  // Its own close button at the right end, as such programs draw.
  fill({client.right - 46, 0, client.right, 30}, RGB(200, 200, 0));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCALCSIZE:
      if (wParam) {
        // The sides and bottom keep their frame; the client area starts at the window's top.
        auto* sizes = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        const LONG top = sizes->rgrc[0].top;
        DefWindowProcW(window, message, wParam, lParam);
        sizes->rgrc[0].top = top;
        return 0;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintTabs(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCHITTEST: {
      // The tab strip drags the window, as a title bar would.
      POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ScreenToClient(window, &p);
      if (p.y >= 0 && p.y < kBandHeight) return HTCAPTION;
      break;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  int x = 120, y = 100, width = 520, height = 320;
  if (__argc == 5) {
    x = std::atoi(__argv[1]);
    y = std::atoi(__argv[2]);
    width = std::atoi(__argv[3]);
    height = std::atoi(__argv[4]);
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClass;
  if (!RegisterClassExW(&windowClass)) return 1;
  HWND window = CreateWindowExW(0, kClass, L"Own title bar", WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;
  // The client area changes its extent only through WM_NCCALCSIZE, asked again here.
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
