// Keeps an unchanged caption painted from a thread of its own that owns no window. Under Wine a
// thread with windows pays for polling its X connection on every wake-up, five times a second;
// while nothing the caption shows changes, the window thread is left asleep. The moment
// anything differs (another window in front, a new style, rectangle, title or clock text) the
// painter stops and wakes the window thread, which paints afresh and hands the caption back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "imaging/memory_canvas.h"
#include "render/caption_geometry.h"

namespace lum {

// What a composed caption was made from, as the painter asks it again on every tick.
struct SteadyFacts {
  HWND window = nullptr;
  uint32_t style = 0;
  RECT windowRect{};
  std::wstring title;  // as InternalGetWindowText gives it
  bool clockShown = false;
  int32_t clockFormatIndex = 0;
  std::u16string clock;  // the clock text in the caption
  CaptionRect rect;      // the caption, in the window's coordinates
};

// How the painter takes and gives back a window's DC: the system's calls, or a test's.
struct WindowDCCalls {
  HDC(WINAPI* get)(HWND) = GetWindowDC;
  int(WINAPI* release)(HWND, HDC) = ReleaseDC;
};

class SteadyPainter {
 public:
  // `wake` is posted `message` when the caption needs the window thread again. The window DC
  // it paints through is taken and given back on its own thread only (Windows refuses a
  // ReleaseDC from another thread), and is not kept long while it is not painting.
  SteadyPainter(HWND wake, UINT message, UINT intervalMs, WindowDCCalls dcCalls = {});
  ~SteadyPainter();
  SteadyPainter(const SteadyPainter&) = delete;
  SteadyPainter& operator=(const SteadyPainter&) = delete;

  // Takes over the caption composed in `composed` (at the window's coordinates); false if it
  // could not (the window thread goes on ticking).
  bool Publish(const SteadyFacts& facts, HDC composed);
  // Gives the caption back to the window thread: nothing is painted or posted until the next
  // Publish, and the window's DC is given back within a second unless one comes. Returns
  // whether the painter was serving.
  bool Withdraw();

 private:
  static DWORD WINAPI Run(void* self);
  bool Tick();             // under lock_, on the painter's thread; false when the facts changed
  void ReleaseWindowDC();  // on the painter's thread

  HWND wake_;
  UINT message_;
  UINT interval_;
  WindowDCCalls dcCalls_;
  CRITICAL_SECTION lock_;
  HANDLE stop_ = nullptr;
  HANDLE nudge_ = nullptr;  // wakes the painter's thread at once: serving again, or a DC to let go
  HANDLE thread_ = nullptr;
  bool serving_ = false;
  bool dropDC_ = false;  // the DC is to be given back at the thread's next wake
  SteadyFacts facts_;
  MemoryCanvas canvas_;
  HDC dc_ = nullptr;  // dcWindow_'s DC, kept while it reaches the whole caption
  HWND dcWindow_ = nullptr;
};

}  // namespace lum
