// One HTTP GET of a channel's news document, as the news timer asks for it.
#pragma once

#include <windows.h>

#include <string>

namespace lum {

struct NewsFetch {
  enum Status { kNoInternet, kNoConnection, kRead };
  Status status = kNoInternet;
  std::string body;  // at most kNewsReadLimit bytes, in the system ANSI code page
};

inline constexpr DWORD kNewsReadLimit = 4095;
inline constexpr DWORD kNewsTimeoutMs = 10000;

// GETs "http://" + address with the agent "GetHtml" and reads the answer once. A server
// that accepts and never answers is given up after `timeoutMs` for each of connect, send
// and receive, so the program's only thread is never held without bound.
NewsFetch FetchNewsDocument(const std::u16string& address, DWORD timeoutMs = kNewsTimeoutMs);

}  // namespace lum
