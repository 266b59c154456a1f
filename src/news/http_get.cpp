// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on
#include "news/http_get.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "news/http_answer.h"
#include "news/tls_client.h"

namespace lum {

namespace {

// The kernel keeps no more than this of an answer waiting for the program, so a server sending
// a long body fast is held back by the connection itself until the program resets it.
constexpr int kReceiveBuffer = 8 * 1024;
// A head longer than this is no answer this program wants.
constexpr size_t kLongestHead = 16 * 1024;
// Interim (1xx) heads passed over before the answer; a server sending more is stalling.
constexpr int kMostInterimHeads = 4;

class WinsockUse {
 public:
  WinsockUse() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockUse() {
    if (started_) WSACleanup();
  }
  WinsockUse(const WinsockUse&) = delete;
  WinsockUse& operator=(const WinsockUse&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// A non-blocking socket whose waits end at the deadline or on the cancel event.
class Connection : public ByteStream {
 public:
  Connection(DWORD start, DWORD deadlineMs, HANDLE cancel) : start_(start), deadlineMs_(deadlineMs), cancel_(cancel) {}
  ~Connection() override { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Open(const addrinfo& address) {
    Close();
    socket_ = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket_ == INVALID_SOCKET) return false;
    setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&kReceiveBuffer), sizeof kReceiveBuffer);
    event_ = WSACreateEvent();
    if (event_ == WSA_INVALID_EVENT || WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
      return false;
    if (connect(socket_, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    for (;;) {
      WSANETWORKEVENTS events{};
      if (!Wait(events)) return false;
      if (events.lNetworkEvents & FD_CONNECT) return events.iErrorCode[FD_CONNECT_BIT] == 0;
    }
  }

  bool SendAll(const std::string& bytes) override {
    size_t sent = 0;
    while (sent < bytes.size()) {
      if (Over()) return false;
      const int done = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
      if (done > 0) {
        sent += static_cast<size_t>(done);
        continue;
      }
      WSANETWORKEVENTS events{};
      if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait(events)) return false;
    }
    return true;
  }

  int Receive(char* buffer, size_t size) override {
    for (;;) {
      if (Over()) return -1;
      const int got = recv(socket_, buffer, static_cast<int>(size), 0);
      if (got >= 0) return got;
      WSANETWORKEVENTS events{};
      if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait(events)) return -1;
    }
  }

  // Closing before the answer's end resets the connection rather than letting the rest come.
  void Close(bool whole = false) {
    if (socket_ != INVALID_SOCKET) {
      if (!whole) {
        linger reset{1, 0};
        setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
      }
      closesocket(socket_);
      socket_ = INVALID_SOCKET;
    }
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
    event_ = WSA_INVALID_EVENT;
  }

 private:
  // The deadline has passed or the fetch was cancelled. Asked before every call on the socket,
  // so that a server that always has bytes ready holds the fetch no longer than a silent one,
  // and a cancel wins over bytes waiting to be read.
  bool Over() const {
    return GetTickCount() - start_ >= deadlineMs_ || (cancel_ && WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0);
  }

  bool Wait(WSANETWORKEVENTS& events) {
    // One reading of the clock: a second one past the deadline would wrap the wait round.
    const DWORD spent = GetTickCount() - start_;
    if (spent >= deadlineMs_ || Over()) return false;
    HANDLE waits[2] = {event_, cancel_};
    const DWORD count = cancel_ ? 2 : 1;
    if (WaitForMultipleObjects(count, waits, FALSE, deadlineMs_ - spent) != WAIT_OBJECT_0) return false;
    return WSAEnumNetworkEvents(socket_, event_, &events) == 0;
  }

  DWORD start_, deadlineMs_;
  HANDLE cancel_;
  SOCKET socket_ = INVALID_SOCKET;
  WSAEVENT event_ = WSA_INVALID_EVENT;
};

// The path as it goes on the request line: spaces, control characters and bytes past ASCII
// escaped, the rest (including escapes already there) as it stands.
std::string RequestPath(const std::string& path) {
  std::string line;
  for (unsigned char c : path) {
    if (c > 0x20 && c < 0x7F) {
      line += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      line += escape;
    }
  }
  return line.empty() ? "/" : line;
}

}  // namespace

HttpGetResult HttpGet(const WebAddress& address, const char* agent, size_t limit, DWORD start, DWORD deadlineMs,
                      HANDLE cancel) {
  HttpGetResult result;
  WinsockUse winsock;
  if (!winsock.started() || address.host.empty()) return result;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &addresses) != 0) return result;
  Connection connection(start, deadlineMs, cancel);
  bool connected = false;
  for (addrinfo* one = addresses; one && !connected; one = one->ai_next) connected = connection.Open(*one);
  freeaddrinfo(addresses);
  if (!connected) return result;
  // https goes through TLS over the same connection, so it keeps every bound of http.
  TlsClient tls(connection);
  ByteStream& stream = address.secure ? static_cast<ByteStream&>(tls) : connection;
  if (address.secure && !tls.Handshake(address.host)) return result;

  std::string request = "GET ";
  request += RequestPath(address.path);
  request += " HTTP/1.1\r\nHost: ";
  request += address.Authority();
  request += "\r\nUser-Agent: ";
  request += agent;
  request += "\r\nAccept: */*\r\nPragma: no-cache\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
  if (!stream.SendAll(request)) return result;

  // The head, read in pieces small enough that the body bytes that come with its end stay
  // within the limit. Interim 1xx heads are passed over.
  std::string received;
  char buffer[4096];
  std::optional<HttpHead> head;
  size_t headLength = 0;
  int interim = 0;
  while (!head) {
    const int got = stream.Receive(buffer, std::min(sizeof buffer, limit + 1));
    if (got <= 0) return result;
    received.append(buffer, static_cast<size_t>(got));
    while ((headLength = HttpHeadLength(received)) != 0) {
      head = ParseHttpHead(std::string_view(received).substr(0, headLength));
      if (!head) return result;
      if (head->status / 100 != 1) break;
      if (++interim > kMostInterimHeads) return result;
      received.erase(0, headLength);
      head.reset();
    }
    if (!head && received.size() > kLongestHead) return result;
  }
  result.answered = true;
  result.status = head->status;
  result.location = head->location;
  if (head->status / 100 != 2) return result;

  HttpBody body(*head, limit);
  bool intact = body.Feed(std::string_view(received).substr(headLength));
  while (intact && body.Wanted() > 0) {
    const int got = stream.Receive(buffer, std::min(sizeof buffer, body.Wanted()));
    if (got < 0) return result;
    if (got == 0) {
      body.EndOfConnection();
      break;
    }
    intact = body.Feed(std::string_view(buffer, static_cast<size_t>(got)));
  }
  result.usable = intact && (body.whole() || body.full());
  connection.Close(body.whole());
  result.body = body.Take();
  return result;
}

}  // namespace lum
