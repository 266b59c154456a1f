// A news server on 127.0.0.1 that misbehaves on purpose (silent, trickling, resetting, holding
// back the rest of a long body), counting every byte it hands to the network, and a watch on
// how long a window's thread takes to answer while a fetch runs.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace lumtest {

class ScriptedServer;

// One accepted connection as a script sees it.
class ServerConnection {
 public:
  ServerConnection(SOCKET socket, const std::atomic<bool>& stop, std::atomic<long>& sent)
      : socket_(socket), stop_(stop), sent_(sent) {}
  // False once the client has gone or the server stops.
  bool Send(const std::string& bytes) {
    if (stop_) return false;
    int done = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
    if (done > 0) sent_ += done;
    return done == static_cast<int>(bytes.size());
  }
  // Waits up to `ms` for the client to hang up (anything it sends meanwhile is read and
  // dropped); true when it did.
  bool HungUpWithin(DWORD ms) {
    const DWORD start = GetTickCount();
    while (!stop_ && GetTickCount() - start < ms) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_, &readable);
      timeval wait{0, 20000};
      if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
      char drop[512];
      if (recv(socket_, drop, sizeof drop, 0) <= 0) return true;
    }
    return false;
  }
  // Waits `ms` unless the server stops first; false when it stopped.
  bool Pause(DWORD ms) {
    for (DWORD waited = 0; waited < ms && !stop_; waited += 20) Sleep(20);
    return !stop_;
  }
  // Ends the connection with a reset instead of an orderly close.
  void Reset() {
    linger abort{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    reset_ = true;
  }
  bool reset() const { return reset_; }

 private:
  SOCKET socket_;
  const std::atomic<bool>& stop_;
  std::atomic<long>& sent_;
  bool reset_ = false;
};

// Serves one connection at a time on its own thread, each with the same script, which gets
// the request and the connection.
class ScriptedServer {
 public:
  using Script = std::function<void(const std::string& request, ServerConnection& connection)>;

  explicit ScriptedServer(Script script) : script_(std::move(script)) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      ADD_FAILURE() << "no listening socket: " << WSAGetLastError();
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (started_) WSACleanup();
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int port() const { return port_; }
  std::string Address(const std::string& path) const { return "127.0.0.1:" + std::to_string(port_) + path; }
  // Bytes handed to the network so far, headers included, over all connections.
  long sent() const { return sent_; }
  int connections() const { return connections_; }
  // True once the last connection's script has ended and the socket is closed.
  bool idle() const { return idle_; }

 private:
  void Run() {
    while (!stop_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(listener_, &readable);
      timeval wait{0, 20000};
      if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      idle_ = false;
      ++connections_;
      DWORD timeout = 3000;
      setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
      setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
      // A small send buffer keeps what the server counts as sent close to what the client took
      // (the client's own buffer is as small).
      int buffer = 8 * 1024;
      setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&buffer), sizeof buffer);
      std::string request;
      char chunk[2048];
      while (request.find("\r\n\r\n") == std::string::npos) {
        int got = recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        request.append(chunk, static_cast<size_t>(got));
      }
      ServerConnection connection(client, stop_, sent_);
      script_(request, connection);
      if (!connection.reset()) shutdown(client, SD_SEND);
      closesocket(client);
      idle_ = true;
    }
  }

  Script script_;
  bool started_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<long> sent_{0};
  std::atomic<int> connections_{0};
  std::atomic<bool> idle_{true};
  std::thread thread_;
};

inline std::string HttpHead(const std::string& status, size_t length, const std::string& extra = "") {
  return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(length) + "\r\n" +
         extra + "\r\n";
}

// Sends a message to a window every 20 ms from a thread of its own and keeps the longest
// time the window's thread took to answer one.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window) : window_(window) {
    thread_ = std::thread([this] {
      while (!stop_) {
        const DWORD start = GetTickCount();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
        const DWORD took = GetTickCount() - start;
        longest_ = std::max<DWORD>(longest_, took);
        Sleep(20);
      }
      finished_ = true;
    });
  }
  ~AnswerWatch() { Stop(); }
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;
  // The longest wait for an answer, in milliseconds; stops the watch. Called on the window's
  // thread, which answers the last message while it waits.
  DWORD Stop() {
    stop_ = true;
    while (thread_.joinable() && !finished_) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      Sleep(5);
    }
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  HWND window_;
  std::atomic<bool> stop_{false};
  std::atomic<DWORD> longest_{0};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace lumtest
