#include "news/news_fetch.h"

#include <process.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "news/http_get.h"
#include "platform/text.h"

namespace lum {

namespace {

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

constexpr int kMostRedirects = 10;

}  // namespace

NewsFetch FetchNewsDocument(const std::u16string& address, DWORD deadlineMs, FetchCancel* shared) {
  const DWORD start = GetTickCount();
  FetchCancel own;
  FetchCancel& cancel = shared ? *shared : own;
  NewsFetch result;
  result.status = NewsFetch::kNoConnection;
  if (address.empty()) return result;
  // Only http and https addresses of bounded length are followed (file:, ftp: and the like, or a
  // Location no system interface could take, are no news).
  std::optional<WebAddress> where = ParseWebAddress("http://" + ToAnsi(address));
  for (int hop = 0; hop <= kMostRedirects && where && !cancel.cancelled(); ++hop) {
    HttpGetResult answer = HttpGet(*where, "GetHtml", kNewsReadLimit, start, deadlineMs, cancel.cancelEvent());
    if (!answer.answered || cancel.cancelled()) return result;
    result.httpStatus = static_cast<DWORD>(answer.status);
    if (IsRedirect(answer.status) && !answer.location.empty()) {
      where = ResolveWebAddress(*where, answer.location);
      continue;
    }
    // An error page, or an answer cut off before its end, is no news.
    if (answer.status / 100 == 2 && answer.usable) {
      result.status = NewsFetch::kRead;
      result.body = std::move(answer.body);
    }
    return result;
  }
  return result;
}

struct NewsFetcher::Job {
  std::u16string address;
  DWORD deadlineMs = kNewsDeadlineMs;
  HWND notify = nullptr;
  UINT message = 0;
  WPARAM id = 0;
  HANDLE deadline = nullptr;  // the timer that gives the fetch up if it is still waiting then
  FetchCancel cancel;
  std::mutex mutex;  // guards what follows
  bool abandoned = false;
  std::optional<NewsFetch> result;

  bool fromDeadline = false;  // the result is the deadline's: the worker may still be waiting

  // The first result to arrive (the fetch's own, or the deadline's failure) is the one posted.
  void Deliver(NewsFetch fetch, bool expired = false) {
    std::lock_guard<std::mutex> lock(mutex);
    if (result) return;
    result = std::move(fetch);
    fromDeadline = expired;
    if (!abandoned) PostMessageW(notify, message, id, 0);
  }
};

void CALLBACK NewsFetcher::Expire(void* job, BOOLEAN) {
  NewsFetch failed;
  failed.status = NewsFetch::kNoConnection;
  static_cast<Job*>(job)->Deliver(std::move(failed), true);
}

unsigned __stdcall NewsFetcher::Work(void* argument) {
  // The worker's own share of the job: it lives on after the window has let go of it.
  std::unique_ptr<std::shared_ptr<Job>> share(static_cast<std::shared_ptr<Job>*>(argument));
  Job& job = **share;
  NewsFetch fetch = FetchNewsDocument(job.address, job.deadlineMs, &job.cancel);
  // Waits for a deadline callback already running, which uses the job.
  DeleteTimerQueueTimer(nullptr, job.deadline, INVALID_HANDLE_VALUE);
  job.Deliver(std::move(fetch));
  return 0;
}

bool NewsFetcher::Start(HWND notify, const std::u16string& address, DWORD deadlineMs) {
  if (job_ || !notify) return false;
  // A worker given up at its deadline may still wait on its server: no second one meanwhile.
  if (lingering_ && WaitForSingleObject(lingering_.get(), 0) == WAIT_TIMEOUT) return false;
  lingering_.reset();
  auto job = std::make_shared<Job>();
  job->address = address;
  job->deadlineMs = deadlineMs;
  job->notify = notify;
  job->message = doneMessage_;
  job->id = ++lastId_;
  // The fetch ends its own waits at the deadline. A name lookup takes no timeout and cannot be
  // cancelled: shortly after the deadline the window gets its failure all the same.
  constexpr DWORD kGrace = 500;
  if (!CreateTimerQueueTimer(&job->deadline, nullptr, &Expire, job.get(), deadlineMs + kGrace, 0, WT_EXECUTEONLYONCE))
    return false;
  auto* share = new std::shared_ptr<Job>(job);
  uintptr_t thread = _beginthreadex(nullptr, 0, &Work, share, 0, nullptr);
  if (!thread) {
    DeleteTimerQueueTimer(nullptr, job->deadline, INVALID_HANDLE_VALUE);
    delete share;
    return false;
  }
  thread_ = ScopedHandle(reinterpret_cast<HANDLE>(thread));
  job_ = std::move(job);
  return true;
}

std::optional<NewsFetch> NewsFetcher::TakeResult(WPARAM wParam) {
  if (!job_ || wParam != job_->id) return std::nullopt;
  std::optional<NewsFetch> result;
  bool fromDeadline = false;
  {
    std::lock_guard<std::mutex> lock(job_->mutex);
    result = std::move(job_->result);
    fromDeadline = job_->fromDeadline;
  }
  if (!result) return std::nullopt;
  job_.reset();
  // A worker that answered itself has ended; one given up at its deadline
  // may still wait on its server, and no second one starts beside it.
  if (fromDeadline)
    lingering_ = std::move(thread_);
  else
    thread_.reset();
  return result;
}

void NewsFetcher::Abandon(DWORD waitMs) {
  if (!job_) return;
  {
    std::lock_guard<std::mutex> lock(job_->mutex);
    job_->abandoned = true;
  }
  // The cancel event ends the connection's waits at once (a name lookup runs on to its end).
  job_->cancel.Cancel();
  if (thread_) WaitForSingleObject(thread_.get(), waitMs);
  job_.reset();
  thread_.reset();
}

}  // namespace lum
