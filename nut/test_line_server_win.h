// Test helper: a line server on a loopback socket, in a thread of the test. It accepts connections
// one after the other and answers each request line with `respond(line)` (nothing for an empty
// answer); it records the lines and how many connections it saw. For the TCP stream's own tests.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nut::testing {

class LineServer {
 public:
  // Listens on `address` ("127.0.0.1" or "::1") at a port of the system's choice.
  explicit LineServer(const char* address, std::function<std::string(const std::string&)> respond)
      : respond_(std::move(respond)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address, "0", &hints, &found) != 0) return;
    listener_ = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    const bool listening = listener_ != INVALID_SOCKET && bind(listener_, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 &&
                           listen(listener_, 4) == 0;
    freeaddrinfo(found);
    if (!listening) return;
    sockaddr_storage bound{};
    int size = sizeof bound;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &size);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    thread_ = std::thread([this] { serve(); });
  }

  ~LineServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    WSACleanup();
  }

  bool listening() const { return port_ != 0; }
  std::uint16_t port() const { return port_; }
  int connections() const { return connections_; }
  std::vector<std::string> lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // Closes the connection being served, as a server that goes away does.
  void drop_client() { drop_ = true; }

 private:
  // The thread never blocks for long, so that it sees a stop or a drop asked by the test.
  static bool readable(SOCKET socket) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket, &ready);
    timeval limit{0, 50000};
    return select(0, &ready, nullptr, nullptr, &limit) > 0;
  }

  void serve() {
    while (!stopping_) {
      if (!readable(listener_)) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      ++connections_;
      drop_ = false;
      talk(client);
      closesocket(client);
    }
  }

  void talk(SOCKET client) {
    std::string pending;
    char buffer[1024];
    while (!stopping_ && !drop_) {
      if (!readable(client)) continue;
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) return;
      pending.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        {
          std::lock_guard lock(mutex_);
          lines_.push_back(line);
        }
        const std::string answer = respond_(line);
        if (!answer.empty()) ::send(client, answer.data(), static_cast<int>(answer.size()), 0);
      }
    }
  }

  std::function<std::string(const std::string&)> respond_;
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<bool> drop_{false};
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

}  // namespace nut::testing
