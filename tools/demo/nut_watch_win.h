// The demo's eye on the service's NUT server and on the other computer that follows it: once a
// second it asks the server, as any NUT client would, for the status it serves and for how many
// computers are logged in, and looks whether the other computer's shutdown command has left its
// file. Each change becomes one line of the story.
// One thread.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>

namespace demo {

class NutWatch {
 public:
  // `port` on 127.0.0.1; `shutdown_file` (a Windows path) appears when the other computer's
  // shutdown command ran.
  NutWatch(std::uint16_t port, std::string shutdown_file);
  ~NutWatch();
  NutWatch(const NutWatch&) = delete;
  NutWatch& operator=(const NutWatch&) = delete;

  // The lines to print for what changed since the last call ("" when nothing did).
  std::string news();

 private:
  bool ask(const char* request, std::string& answer);
  void disconnect();

  std::uint16_t port_;
  std::string shutdown_file_;
  SOCKET socket_ = INVALID_SOCKET;
  std::string pending_;
  std::string last_seen_;
  bool shutdown_seen_ = false;
  bool served_ = false;
};

}  // namespace demo
