// A NUT server for tests on Linux: the protocol engine behind a listening socket on 127.0.0.1, so
// that NUT's own programs (upsc, upscmd, upsmon) can talk to it before the Windows socket layer
// exists. One thread polls the listener and every connection; each connection has its LineReader
// and ServerSession, answers held back as the session says, an overlong line answered and closed.
//
// The test reaches the server's world (snapshot, users, what the service was asked) only through
// with_world(), which holds the lock the server thread takes around each request.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "nut/test_server_world.h"

namespace nut {

class LoopbackServer {
 public:
  LoopbackServer();  // listening on 127.0.0.1 at a port the system chose
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  void with_world(const std::function<void(TestServerWorld&)>& use);

 private:
  struct Connection;
  void serve();
  void accept_client();
  void receive(Connection& connection);
  void answer(Connection& connection, std::chrono::milliseconds now);

  TestServerWorld world_;
  std::mutex lock_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::vector<std::unique_ptr<Connection>> connections_;
  std::thread thread_;
};

}  // namespace nut
