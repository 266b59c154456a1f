#include "render/steady_painter.h"

#include "render/caption_dc.h"
#include "render/clock_text.h"

namespace lum {

namespace {

// How long a DC is kept after the caption was taken back.
constexpr DWORD kLetGoMs = 1000;

}  // namespace

SteadyPainter::SteadyPainter(HWND wake, UINT message, UINT intervalMs, const std::atomic<uint32_t>* generation,
                             WindowDCCalls dcCalls)
    : wake_(wake), message_(message), interval_(intervalMs), generation_(generation), dcCalls_(dcCalls) {
  InitializeCriticalSection(&lock_);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  nudge_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (stop_ && nudge_) thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

SteadyPainter::~SteadyPainter() {
  if (thread_) {
    // The thread never waits on the window thread, so it ends within one tick; it gives back
    // the DC it holds on its way out.
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (nudge_) CloseHandle(nudge_);
  if (stop_) CloseHandle(stop_);
  DeleteCriticalSection(&lock_);
}

bool SteadyPainter::Publish(const SteadyFacts& facts, HDC composed) {
  if (!thread_ || !composed) return false;
  EnterCriticalSection(&lock_);
  if (dc_ && facts.caption.window != dcWindow_) dropDC_ = true;
  facts_ = facts;
  const CaptionRect& r = facts.rect;
  canvas_.FitDib(r.right, r.bottom);
  serving_ =
      canvas_.dc() && BitBlt(canvas_.dc(), r.left, r.top, r.Width(), r.Height(), composed, r.left, r.top, SRCCOPY);
  const bool serving = serving_;
  LeaveCriticalSection(&lock_);
  SetEvent(nudge_);
  return serving;
}

bool SteadyPainter::Withdraw() {
  EnterCriticalSection(&lock_);
  const bool was = serving_;
  serving_ = false;
  LeaveCriticalSection(&lock_);
  return was;
}

bool SteadyPainter::serving() {
  EnterCriticalSection(&lock_);
  const bool serving = serving_;
  LeaveCriticalSection(&lock_);
  return serving;
}

void SteadyPainter::ReleaseWindowDC() {
  if (dc_) dcCalls_.release(dcWindow_, dc_);
  dc_ = nullptr;
  dcWindow_ = nullptr;
  dropDC_ = false;
}

DWORD WINAPI SteadyPainter::Run(void* self) {
  auto* painter = static_cast<SteadyPainter*>(self);
  HANDLE waits[2] = {painter->stop_, painter->nudge_};
  for (;;) {
    // Taken back, the caption is mostly handed over again a tick later: the DC is kept that
    // long rather than taken anew, and given back if it is not. With nothing to paint and no
    // DC the thread sleeps until it is nudged.
    EnterCriticalSection(&painter->lock_);
    const DWORD wait = painter->serving_ ? painter->interval_ : painter->dc_ ? kLetGoMs : INFINITE;
    LeaveCriticalSection(&painter->lock_);
    const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, wait);
    EnterCriticalSection(&painter->lock_);
    if (woken != WAIT_TIMEOUT && woken != WAIT_OBJECT_0 + 1) {
      painter->ReleaseWindowDC();
      LeaveCriticalSection(&painter->lock_);
      return 0;
    }
    if (painter->dropDC_ || (woken == WAIT_TIMEOUT && !painter->serving_)) painter->ReleaseWindowDC();
    if (woken == WAIT_TIMEOUT && painter->serving_ && !painter->Tick()) {
      painter->serving_ = false;
      painter->ReleaseWindowDC();
      PostMessageW(painter->wake_, painter->message_, 0, 0);
    }
    LeaveCriticalSection(&painter->lock_);
  }
}

bool SteadyPainter::Tick() {
  if (generation_ && generation_->load(std::memory_order_acquire) != facts_.generation) return false;
  HWND window = GetForegroundWindow();
  if (window != facts_.caption.window) return false;
  const auto now = ReadCaptionFacts(window);
  if (!now || !(*now == facts_.caption)) return false;
  if (facts_.clockShown && ClockTextNow(facts_.clockFormatIndex) != facts_.clock) return false;
  if (!dc_) {
    dc_ = dcCalls_.get(window);
    dcWindow_ = window;
  }
  if (!dc_) return false;
  const CaptionRect& r = facts_.rect;
  if (!BitBlt(dc_, r.left, r.top, r.Width(), r.Height(), canvas_.dc(), r.left, r.top, SRCCOPY)) return false;
  if (!ReachesWholeCaption(dc_, r)) ReleaseWindowDC();
  return true;
}

}  // namespace lum
