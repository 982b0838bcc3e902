// NetworkServer: the NUT server's sockets. One thread of its own listens on the configured lines
// (IPv4 and IPv6, Winsock 2) and serves every client connection through its ServerConnection; all
// sockets are non-blocking, so a client that stalls, floods or never reads holds up nothing but
// itself. Beyond MaxClients a connection gets kTooManyClientsAnswer and is closed.
//
// Threads: start() and stop() on the owner's thread; logged_in() and connections() from any thread
// (words the server's thread publishes; a client told OK to its LOGIN is counted already). The snapshot source and the request sink are called on
// the server's thread and must be thread-safe (ServedUps is).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "nut/network_settings.h"
#include "nut/server_session.h"

namespace nut {

struct ServerSetup {
  std::vector<ListenLine> listen;
  std::uint32_t max_clients = kDefaultMaxClients;
  ServerIdentity identity;
  UserTable users;
};

class NetworkServer {
 public:
  // How long stop() waits for the thread; the server's own turn takes at most kTurnLength.
  static constexpr DWORD kStopWaitMs = 3000;
  static constexpr int kTurnLengthMs = 100;

  NetworkServer(ServerSetup setup, SnapshotSource& snapshots, RequestSink& requests);
  ~NetworkServer();
  NetworkServer(const NetworkServer&) = delete;
  NetworkServer& operator=(const NetworkServer&) = delete;

  // Opens the listening sockets and starts the thread. False when no line could be opened; each
  // line that failed is traced and listed in failed_lines().
  bool start();
  // Ends the thread and closes every socket. False when the thread did not end in time: the object
  // is then still in use and must be left alive.
  bool stop();

  const std::vector<ListenLine>& failed_lines() const { return failed_lines_; }
  std::size_t logged_in() const { return logged_in_; }
  std::size_t connections() const { return connection_count_; }

 private:
  struct Loop;
  static DWORD WINAPI thread_entry(void* parameter);

  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> logged_in_{0};  // published by the server's thread
  std::atomic<std::size_t> connection_count_{0};
  std::unique_ptr<Loop> loop_;
  std::vector<ListenLine> failed_lines_;
  HANDLE thread_ = nullptr;
  bool winsock_started_ = false;
};

}  // namespace nut
