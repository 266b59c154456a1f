// One HTTP GET over a socket of the program's own. Every wait ends at a deadline or when a
// cancel event is set, no body byte past the limit is read, and a connection left before the
// end of its answer is reset, so that the server stops sending.
#pragma once

#include <windows.h>

#include <string>

#include "news/web_address.h"

namespace lum {

struct HttpGetResult {
  bool answered = false;  // a head came; what follows is its
  int status = 0;
  std::string location;
  std::string body;     // only for a 2xx answer, at most the limit
  bool usable = false;  // the body came whole, or up to the limit
};

// GETs `address` (its path as it stands; unsafe bytes are escaped) with the agent `agent`. The
// body is read only for a 2xx answer. `start` is the GetTickCount at which `deadlineMs` began.
HttpGetResult HttpGet(const WebAddress& address, const char* agent, size_t limit, DWORD start, DWORD deadlineMs,
                      HANDLE cancel);

}  // namespace lum
