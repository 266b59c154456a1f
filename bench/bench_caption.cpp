// Times one caption repaint against the window system redrawing the same window's frame,
// in the same run, and prints the ratio.
#include <windows.h>

#include <cstdio>

#include "platform/scoped_win.h"
#include "render/caption_renderer.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double TimeEach(int repetitions, F&& body) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < repetitions; ++i) body();
  QueryPerformanceCounter(&end);
  return Seconds(start, end, frequency) / repetitions;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// A picture of caption-high colour columns, like the default one.
HBITMAP MakePicture(HDC reference) {
  HBITMAP bitmap = CreateCompatibleBitmap(reference, 64, 18);
  lum::ScopedMemoryDC dc(reference);
  lum::ScopedSelect selected(dc.get(), bitmap);
  for (int x = 0; x < 64; x += 8) lum::FillBand(dc.get(), x, 0, 8, 18, RGB(x * 4, 64, 255 - x * 4));
  return bitmap;
}

}  // namespace

int main() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"LumbrelBenchTarget";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Lumbrel benchmark target", WS_OVERLAPPEDWINDOW, 20, 20,
                                640, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  PumpMessages();

  lum::ScopedBitmap picture;
  {
    lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
    picture.reset(MakePicture(screen.get()));
  }
  lum::SharedSettings settings;
  lum::CaptionRenderer renderer(&settings);
  renderer.SetCaptionPicture(picture.get());
  renderer.SetTextColor(RGB(255, 255, 255));
  renderer.SetBold(true);
  renderer.SetAlignment(1);

  const int repetitions = 2000;
  // Warm both paths once so that neither pays for first-use set-up.
  renderer.RepaintCaption(window);
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  double bare = TimeEach(repetitions, [&] { renderer.RepaintCaption(window); });
  // The complete caption: tiles, icon, buttons, the title with a clock and its outline.
  settings.clockFlag = -1;
  settings.clockFormatIndex = 4;
  settings.shadow = true;
  settings.shadowColor = RGB(0, 0, 0);
  double full = TimeEach(repetitions, [&] { renderer.RepaintCaption(window); });
  double system = TimeEach(repetitions, [&] {
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  });
  std::printf("window system frame redraw (640 px window):      %8.1f us\n", system * 1e6);
  std::printf("caption repaint (tiles, icon, buttons, title):    %8.1f us  ratio %.2f\n", bare * 1e6,
              bare / system);
  std::printf("complete caption (tiles, icon, buttons, clock, outline): %.1f us  ratio %.2f\n", full * 1e6,
              full / system);
  std::printf("(ratio = caption repaint / frame redraw, %d repetitions each, one run)\n", repetitions);
  std::fflush(stdout);
  DestroyWindow(window);
  return 0;
}
