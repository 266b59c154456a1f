#include "news/news_fetch.h"

#include <process.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "news/http_get.h"
#include "platform/text.h"

namespace lum {

namespace {

// The time left until the deadline, for the per-call timeouts (never 0, which means none).
DWORD Remaining(DWORD start, DWORD deadlineMs) {
  const DWORD spent = GetTickCount() - start;
  return spent >= deadlineMs ? 1 : deadlineMs - spent;
}

void SetTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionA(handle, option, &ms, sizeof ms);
}

}  // namespace

HINTERNET FetchHandles::Keep(HINTERNET handle) {
  if (!handle) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_) {
    InternetCloseHandle(handle);
    return nullptr;
  }
  open_.push_back(handle);
  return handle;
}

void FetchHandles::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
  if (cancel_) SetEvent(cancel_.get());
  while (!open_.empty()) {
    InternetCloseHandle(open_.back());
    open_.pop_back();
  }
}

bool FetchHandles::cancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

void FetchHandles::CloseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  while (!open_.empty()) {
    InternetCloseHandle(open_.back());
    open_.pop_back();
  }
}

namespace {

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

constexpr int kMostRedirects = 10;

}  // namespace

NewsFetch FetchNewsDocument(const std::u16string& address, DWORD deadlineMs, FetchHandles* shared) {
  const DWORD start = GetTickCount();
  FetchHandles own;
  FetchHandles& handles = shared ? *shared : own;
  NewsFetch result;
  result.status = NewsFetch::kNoConnection;
  if (address.empty()) return result;
  // Only http and https addresses of bounded length are followed (file:, ftp: and the like, or a
  // Location no system interface could take, are no news).
  std::optional<WebAddress> where = ParseWebAddress("http://" + ToAnsi(address));
  for (int hop = 0; hop <= kMostRedirects && where && !handles.cancelled(); ++hop) {
    if (where->secure) return FetchThroughWinInet(*where, start, deadlineMs, handles);
    HttpGetResult answer = HttpGet(*where, "GetHtml", kNewsReadLimit, start, deadlineMs, handles.cancelEvent());
    if (!answer.answered || handles.cancelled()) return result;
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

NewsFetch FetchThroughWinInet(const WebAddress& address, DWORD start, DWORD deadlineMs, FetchHandles& handles) {
  NewsFetch result;
  constexpr DWORD kNoCacheWrite = 0x04000000;
  HINTERNET internet = handles.Keep(InternetOpenA("GetHtml", INTERNET_OPEN_TYPE_DIRECT, nullptr, "0", kNoCacheWrite));
  if (!internet) return result;
  result.status = NewsFetch::kNoConnection;

  // The GET built from its parts, because only a request handle of our own takes the timeouts
  // (and a closed one ends a waiting call on Windows).
  HINTERNET connection = handles.Keep(
      InternetConnectA(internet, address.host.c_str(), address.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
  if (address.secure) flags |= INTERNET_FLAG_SECURE;
  HINTERNET request =
      handles.Keep(HttpOpenRequestA(connection, "GET", address.path.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request) return result;
  SetTimeouts(request, Remaining(start, deadlineMs));
  if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0) || handles.cancelled()) return result;

  // An error page or a redirect that was not followed is no news.
  DWORD code = 0, size = sizeof code;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) return result;
  result.httpStatus = code;
  if (code < 200 || code > 299) return result;

  // At most 4,095 bytes, taken as they arrive so that each wait is bounded by the deadline
  // (one read of them all would wait on a trickling server for as long as it trickles).
  std::string body(kNewsReadLimit, '\0');
  DWORD total = 0;
  while (total < kNewsReadLimit) {
    if (GetTickCount() - start >= deadlineMs) return result;
    SetTimeouts(request, Remaining(start, deadlineMs));
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0) || handles.cancelled()) return result;
    if (available == 0) break;
    DWORD got = 0;
    if (!InternetReadFile(request, body.data() + total, std::min(available, kNewsReadLimit - total), &got) ||
        handles.cancelled())
      return result;
    if (got == 0) break;
    total += got;
  }
  // An answer that ends before its announced length was cut off: no news rather than a fragment.
  DWORD length = 0;
  size = sizeof length;
  if (total < kNewsReadLimit &&
      HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr) &&
      total < length)
    return result;
  body.resize(total);
  result.status = NewsFetch::kRead;
  result.body = std::move(body);
  return result;
}

struct NewsFetcher::Job {
  std::u16string address;
  DWORD deadlineMs = kNewsDeadlineMs;
  HWND notify = nullptr;
  UINT message = 0;
  WPARAM id = 0;
  HANDLE deadline = nullptr;  // the timer that gives the fetch up if it is still waiting then
  FetchHandles handles;
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
  NewsFetch fetch = FetchNewsDocument(job.address, job.deadlineMs, &job.handles);
  // Waits for a deadline callback already running, which uses the job.
  DeleteTimerQueueTimer(nullptr, job.deadline, INVALID_HANDLE_VALUE);
  job.Deliver(std::move(fetch));
  // Closed after the answer has gone: on the https way Wine's WinINet reads and drops the rest
  // of a longer body while it keeps arriving, which need not hold the news up.
  job.handles.CloseAll();
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
  // The fetch ends its own waits at the deadline. A name lookup, or a wait inside WinINet on
  // the https way (a server that trickles its headers), takes no timeout and does not end when
  // its handle is closed: shortly after the deadline the window gets its failure all the same.
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
  // A worker that answered itself only closes its handles now; one given up at its deadline
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
  // The cancel event ends the socket's waits at once; closing WinINet's handles ends its call
  // on Windows, while under Wine that call runs on to its timeout and the process may end first.
  job_->handles.Cancel();
  if (thread_) WaitForSingleObject(thread_.get(), waitMs);
  job_.reset();
  thread_.reset();
}

}  // namespace lum
