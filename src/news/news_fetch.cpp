#include "news/news_fetch.h"

#include <wininet.h>

#include <vector>

#include "platform/text.h"

namespace lum {

namespace {

class ScopedInternetHandle {
 public:
  explicit ScopedInternetHandle(HINTERNET handle) : handle_(handle) {}
  ~ScopedInternetHandle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  ScopedInternetHandle(const ScopedInternetHandle&) = delete;
  ScopedInternetHandle& operator=(const ScopedInternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

void SetTimeouts(HINTERNET handle, DWORD timeoutMs) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionA(handle, option, &timeoutMs, sizeof timeoutMs);
}

}  // namespace

NewsFetch FetchNewsDocument(const std::u16string& address, DWORD timeoutMs) {
  NewsFetch result;
  constexpr DWORD kNoCacheWrite = 0x04000000;
  ScopedInternetHandle internet(InternetOpenA("GetHtml", INTERNET_OPEN_TYPE_DIRECT, nullptr, "0", kNoCacheWrite));
  if (!internet) return result;
  result.status = NewsFetch::kNoConnection;
  SetTimeouts(internet.get(), timeoutMs);

  // The same GET that InternetOpenUrl would send, built from its parts, because only a
  // request handle of our own takes the timeouts.
  std::string url = "http://" + ToAnsi(address);
  char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  std::vector<char> path(url.size() + 2, '\0');
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path.data();
  parts.dwUrlPathLength = static_cast<DWORD>(path.size());
  if (address.empty() || !InternetCrackUrlA(url.c_str(), 0, 0, &parts) || host[0] == '\0') return result;
  std::string object = path[0] ? std::string(path.data()) : std::string("/");
  if (parts.nScheme != INTERNET_SCHEME_HTTP) return result;

  ScopedInternetHandle connection(
      InternetConnectA(internet.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;
  ScopedInternetHandle request(HttpOpenRequestA(connection.get(), "GET", object.c_str(), nullptr, nullptr, nullptr,
                                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0));
  if (!request) return result;
  SetTimeouts(request.get(), timeoutMs);
  if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return result;

  result.status = NewsFetch::kRead;
  // One read of at most 4,095 bytes: a longer document is cut there.
  std::vector<char> buffer(kNewsReadLimit + 1, '\0');
  DWORD read = 0;
  if (InternetReadFile(request.get(), buffer.data(), kNewsReadLimit, &read) && read <= kNewsReadLimit)
    result.body.assign(buffer.data(), read);
  return result;
}

}  // namespace lum
