// Keeps an unchanged caption painted from a thread of its own that owns no window. Under Wine a
// thread with windows pays for polling its X connection on every wake-up, five times a second;
// while nothing the caption shows changes, the window thread is left asleep. The moment
// anything differs (another window in front, a new style, rectangle, title or clock text, or a
// settings generation other than the one the caption was composed at) the painter stops and
// wakes the window thread, which paints afresh and hands the caption back.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "imaging/memory_canvas.h"
#include "render/caption_facts.h"

namespace lum {

// How the painter takes and gives back a window's DC: the system's calls, or a test's.
struct WindowDCCalls {
  HDC(WINAPI* get)(HWND) = GetWindowDC;
  int(WINAPI* release)(HWND, HDC) = ReleaseDC;
};

class SteadyPainter {
 public:
  // `wake` is posted `message` when the caption needs the window thread again; `generation`
  // (read on the painter's thread) counts the settings' changes. The window DC it paints
  // through is taken and given back on its own thread only (Windows refuses a ReleaseDC from
  // another thread), and is not kept long while it is not painting.
  SteadyPainter(HWND wake, UINT message, UINT intervalMs, const std::atomic<uint32_t>* generation,
                WindowDCCalls dcCalls = {});
  ~SteadyPainter();
  SteadyPainter(const SteadyPainter&) = delete;
  SteadyPainter& operator=(const SteadyPainter&) = delete;

  // Takes over the caption composed in `composed` (at the window's coordinates); false if it
  // could not (the window thread goes on ticking).
  bool Publish(const SteadyFacts& facts, HDC composed);
  // Gives the caption back to the window thread: nothing is painted or posted until the next
  // Publish, and the window's DC is given back within a second unless one comes. Returns
  // whether the painter was serving. For what the facts cannot tell: the system's settings,
  // the caption mode, the end of the run.
  bool Withdraw();
  bool serving();

 private:
  static DWORD WINAPI Run(void* self);
  bool Tick();             // under lock_, on the painter's thread; false when the facts changed
  void ReleaseWindowDC();  // on the painter's thread

  HWND wake_;
  UINT message_;
  UINT interval_;
  const std::atomic<uint32_t>* generation_;
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
