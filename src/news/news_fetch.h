// The HTTP GET of a channel's news document, bounded in time and size, and the worker thread
// that runs it so that the window thread never waits on the network.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "news/web_address.h"
#include "platform/scoped_win.h"

namespace lum {

struct NewsFetch {
  // kNoConnection covers an unreachable server, an untrusted certificate and an answer that is
  // not 2xx alike; kNoInternet, the network that cannot be used at all.
  enum Status { kNoInternet, kNoConnection, kRead };
  Status status = kNoInternet;
  DWORD httpStatus = 0;  // the answer's status code, 0 when none came
  std::string body;      // at most kNewsReadLimit bytes, in the system ANSI code page
};

inline constexpr DWORD kNewsReadLimit = 4095;
// Connecting, sending and receiving together; a server that trickles cannot stretch it.
inline constexpr DWORD kNewsDeadlineMs = 15000;

// What another thread stops a fetch by at any moment: an event every wait of its connection
// ends on.
class FetchCancel {
 public:
  FetchCancel() : cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void Cancel() { SetEvent(cancel_.get()); }
  bool cancelled() const { return WaitForSingleObject(cancel_.get(), 0) == WAIT_OBJECT_0; }
  HANDLE cancelEvent() const { return cancel_.get(); }

 private:
  ScopedHandle cancel_;
};

// GETs "http://" + address with the agent "GetHtml" over a connection of its own, following up
// to ten redirects, to https addresses too (TLS 1.2 through the system, the certificate checked
// against the trusted roots). Only a 2xx answer is read, and only its first 4,095 bytes (over
// https, no more is received than the TLS record that holds the last of them); the connection
// is reset when more would come. Every wait is bounded by what is left of `deadlineMs`, so a
// silent or a trickling server is given up then. `cancel`, when given, lets another thread
// stop it.
NewsFetch FetchNewsDocument(const std::u16string& address, DWORD deadlineMs = kNewsDeadlineMs,
                            FetchCancel* cancel = nullptr);

// One fetch at a time on a thread of its own; the result comes back to a window as a posted
// message, which the window hands to TakeResult.
class NewsFetcher {
 public:
  explicit NewsFetcher(UINT doneMessage) : doneMessage_(doneMessage) {}
  ~NewsFetcher() { Abandon(); }
  NewsFetcher(const NewsFetcher&) = delete;
  NewsFetcher& operator=(const NewsFetcher&) = delete;

  // Starts fetching `address`; `notify` gets doneMessage when it ends. False while a fetch
  // runs (it is not doubled) or when no thread could be started.
  bool Start(HWND notify, const std::u16string& address, DWORD deadlineMs = kNewsDeadlineMs);
  // True from Start until the window has taken the result.
  bool running() const { return job_ != nullptr; }
  // The result the message `wParam` announces; nothing for a message of an abandoned fetch.
  std::optional<NewsFetch> TakeResult(WPARAM wParam);
  // Cancels the running fetch, which ends its waits, and waits at most `waitMs` for its
  // thread; its answer is never posted.
  void Abandon(DWORD waitMs = 500);

 private:
  struct Job;
  static unsigned __stdcall Work(void* job);
  static void CALLBACK Expire(void* job, BOOLEAN);

  UINT doneMessage_;
  std::shared_ptr<Job> job_;
  ScopedHandle thread_;
  ScopedHandle lingering_;  // the thread of a fetch whose result came from its deadline
  WPARAM lastId_ = 0;
};

}  // namespace lum
