#include "render/steady_painter.h"

#include "render/caption_dc.h"
#include "render/clock_text.h"

namespace lum {

SteadyPainter::SteadyPainter(HWND wake, UINT message, UINT intervalMs)
    : wake_(wake), message_(message), interval_(intervalMs) {
  InitializeCriticalSection(&lock_);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (stop_) thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

SteadyPainter::~SteadyPainter() {
  if (thread_) {
    // The thread never waits on the window thread, so it ends within one tick.
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (stop_) CloseHandle(stop_);
  ReleaseWindowDC();
  DeleteCriticalSection(&lock_);
}

bool SteadyPainter::Publish(const SteadyFacts& facts, HDC composed) {
  if (!thread_ || !composed) return false;
  EnterCriticalSection(&lock_);
  if (facts.window != facts_.window) ReleaseWindowDC();
  facts_ = facts;
  const CaptionRect& r = facts.rect;
  canvas_.FitDib(r.right, r.bottom);
  serving_ = canvas_.dc() &&
             BitBlt(canvas_.dc(), r.left, r.top, r.Width(), r.Height(), composed, r.left, r.top, SRCCOPY);
  const bool serving = serving_;
  LeaveCriticalSection(&lock_);
  return serving;
}

bool SteadyPainter::Withdraw() {
  EnterCriticalSection(&lock_);
  const bool was = serving_;
  serving_ = false;
  LeaveCriticalSection(&lock_);
  return was;
}

void SteadyPainter::ReleaseWindowDC() {
  if (dc_) ReleaseDC(facts_.window, dc_);
  dc_ = nullptr;
}

DWORD WINAPI SteadyPainter::Run(void* self) {
  auto* painter = static_cast<SteadyPainter*>(self);
  while (WaitForSingleObject(painter->stop_, painter->interval_) == WAIT_TIMEOUT) {
    EnterCriticalSection(&painter->lock_);
    if (painter->serving_ && !painter->Tick()) {
      painter->serving_ = false;
      painter->ReleaseWindowDC();
      PostMessageW(painter->wake_, painter->message_, 0, 0);
    }
    LeaveCriticalSection(&painter->lock_);
  }
  return 0;
}

bool SteadyPainter::Tick() {
  // The same questions the window thread's tick asks, in the same order.
  HWND window = GetForegroundWindow();
  if (window != facts_.window) return false;
  if (static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)) != facts_.style) return false;
  RECT now{};
  if (!GetWindowRect(window, &now) || !EqualRect(&now, &facts_.windowRect)) return false;
  wchar_t title[255] = {};
  InternalGetWindowText(window, title, 255);
  if (facts_.title != title) return false;
  if (facts_.clockShown && ClockTextNow(facts_.clockFormatIndex) != facts_.clock) return false;
  if (!dc_) dc_ = GetWindowDC(window);
  if (!dc_) return false;
  const CaptionRect& r = facts_.rect;
  if (!BitBlt(dc_, r.left, r.top, r.Width(), r.Height(), canvas_.dc(), r.left, r.top, SRCCOPY)) return false;
  if (!ReachesWholeCaption(dc_, r)) ReleaseWindowDC();
  return true;
}

}  // namespace lum
