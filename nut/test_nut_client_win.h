// Test helper: a NUT client over Winsock, as simple as a test needs (blocking socket, receive
// timeout), a free port for a test's own server, and the "Network" key written for one test.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <shlwapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nut/network_key_win.h"
#include "platform/multi_string_win.h"
#include "platform/registry_win.h"

namespace nut::testing {

struct Winsock {
  Winsock() { WSAStartup(MAKEWORD(2, 2), &data); }
  ~Winsock() { WSACleanup(); }
  WSADATA data{};
};

class NutClient {
 public:
  NutClient() = default;
  NutClient(const char* address, std::uint16_t port) { connect(address, port); }
  ~NutClient() { close(); }
  NutClient(const NutClient&) = delete;
  NutClient& operator=(const NutClient&) = delete;

  bool connect(const char* address, std::uint16_t port, DWORD receive_timeout_ms = 5000) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address, std::to_string(port).c_str(), &hints, &found) != 0) return false;
    socket_ = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
    const bool connected =
        socket_ != INVALID_SOCKET && ::connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0;
    freeaddrinfo(found);
    if (!connected) {
      close();
      return false;
    }
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&receive_timeout_ms),
               sizeof receive_timeout_ms);
    return true;
  }
  bool connected() const { return socket_ != INVALID_SOCKET; }
  void close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
    pending_.clear();
  }

  bool send_text(std::string_view text) {
    return ::send(socket_, text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
  }

  // The next line without its LF; nothing when the server closed or said nothing in time.
  std::optional<std::string> line() {
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      char bytes[4096];
      const int got = recv(socket_, bytes, sizeof bytes, 0);
      if (got <= 0) return std::nullopt;
      pending_.append(bytes, static_cast<std::size_t>(got));
    }
  }

  // Whether an answer has begun to arrive, without waiting for it.
  bool has_bytes_waiting() {
    u_long waiting = 0;
    ioctlsocket(socket_, FIONREAD, &waiting);
    return waiting > 0 || !pending_.empty();
  }

  // One request and its one-line answer ("" when none came).
  std::string ask(std::string_view request) {
    if (!send_text(std::string(request) + "\n")) return "";
    return line().value_or("");
  }

  // True when the server closes the connection (after whatever it still sends) within the timeout.
  bool closed_by_server() {
    char byte;
    for (;;) {
      const int got = recv(socket_, &byte, 1, 0);
      if (got == 0) return true;
      if (got < 0) return WSAGetLastError() != WSAETIMEDOUT;
    }
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  std::string pending_;
};

inline sockaddr_in loopback_address(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A port nothing listens on at this moment, on both loopback addresses.
inline std::uint16_t free_port() {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = loopback_address(0);
    int length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    const std::uint16_t port = ntohs(address.sin_port);
    SOCKET probe6 = socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in6 address6{};
    address6.sin6_family = AF_INET6;
    address6.sin6_addr.s6_addr[15] = 1;
    address6.sin6_port = htons(port);
    const bool free6 = bind(probe6, reinterpret_cast<sockaddr*>(&address6), sizeof address6) == 0;
    closesocket(probe6);
    if (free6) return port;
  }
  return 0;
}

// The "Network" key as a test sets it; removed again when the test ends.
class NetworkKeyForTest {
 public:
  NetworkKeyForTest() : key_(open_network_key_for_change()) {}
  ~NetworkKeyForTest() {
    key_.reset();
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, network_value::kKeyPath);
  }
  NetworkKeyForTest(const NetworkKeyForTest&) = delete;
  NetworkKeyForTest& operator=(const NetworkKeyForTest&) = delete;

  bool opened() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_.get(); }

  void set(const char* name, std::uint32_t value) { platform::write_dword_value(key_.get(), name, value); }
  void set(const char* name, const char* text) { platform::write_string_value(key_.get(), name, text); }
  void set(const char* name, const std::vector<std::string>& items) {
    platform::write_multi_string_value(key_.get(), name, items);
  }
  void add_user(const UserSettings& user) {
    platform::UniqueKey key = open_user_key_for_change(key_.get(), user.name);
    platform::write_string_value(key.get(), network_value::kPassword, user.password.c_str());
    platform::write_string_value(key.get(), network_value::kUpsmon, user.upsmon.c_str());
    platform::write_multi_string_value(key.get(), network_value::kActions, user.actions);
    platform::write_multi_string_value(key.get(), network_value::kInstcmds, user.instcmds);
  }

 private:
  platform::UniqueKey key_;
};

}  // namespace nut::testing
