// TcpStream: the byte stream to a NUT server over a Winsock 2 TCP connection, IPv4 or IPv6, with
// every call bounded by its budget (non-blocking socket, select). SystemSessionClock: the tick
// count and Sleep.
//
// Winsock is started at the first open and released by release(), never in a constructor or
// destructor: the service's stream lives in the library's static state, whose construction and
// destruction run under the loader lock. The socket is not inherited by child processes.
// Not thread-safe: one user, like ServerStream.
#pragma once

#include <winsock2.h>

#include <string>

#include "nut/name_lookup_win.h"
#include "nut/server_stream.h"

namespace nut {

class SystemSessionClock final : public SessionClock {
 public:
  std::uint32_t now_ms() override;
  void sleep_ms(std::uint32_t ms) override;
};

class TcpStream final : public ServerStream {
 public:
  TcpStream() = default;
  TcpStream(const TcpStream&) = delete;
  TcpStream& operator=(const TcpStream&) = delete;

  OpenResult open(const ServerAddress& address, std::uint32_t budget_ms) override;
  bool send(std::string_view bytes, std::uint32_t budget_ms) override;
  Received receive(char* buffer, std::size_t room, std::uint32_t budget_ms) override;
  void close() override;
  std::string problem() const override { return problem_; }

  // Closes the connection and releases Winsock, when this stream started it.
  void release();

 private:
  bool start_winsock();
  bool connect_to(const SocketAddress& address, std::uint32_t budget_ms);
  void fail(const char* what, int error);

  SOCKET socket_ = INVALID_SOCKET;
  bool winsock_started_ = false;
  NameLookup lookup_;
  std::string problem_;
};

}  // namespace nut
