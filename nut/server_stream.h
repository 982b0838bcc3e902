// What the client's session needs from the outside world: the byte stream to one NUT server, and a
// clock. The service uses a TCP socket and the system's tick count (tcp_stream_win.h); tests script
// both, so that a slow, silent or hostile server is played out in simulated time.
//
// Every call takes a time budget and returns within it: the session is run from the polling
// thread, which must keep its pace whatever the server does. Not thread-safe; one user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "nut/server_address.h"

namespace nut {

class SessionClock {
 public:
  virtual ~SessionClock() = default;
  // Milliseconds of a monotonic clock; wraps after 49.7 days, so only differences count.
  virtual std::uint32_t now_ms() = 0;
  virtual void sleep_ms(std::uint32_t ms) = 0;
};

class ServerStream {
 public:
  enum class OpenResult {
    connected,
    pending,  // the server's name is still being looked up: call again later
    failed,
  };

  struct Received {
    std::size_t count = 0;  // bytes placed in the buffer
    bool ended = false;     // the server closed the connection, or it broke
  };

  virtual ~ServerStream() = default;

  // Looks the host up and connects to one of its addresses.
  virtual OpenResult open(const ServerAddress& address, std::uint32_t budget_ms) = 0;
  // False when not all bytes could be sent within the budget.
  virtual bool send(std::string_view bytes, std::uint32_t budget_ms) = 0;
  // What arrived within the budget; nothing and not ended when the time ran out.
  virtual Received receive(char* buffer, std::size_t room, std::uint32_t budget_ms) = 0;
  virtual void close() = 0;
  // Why the last call failed, in a few English words for the debug trace.
  virtual std::string problem() const = 0;
};

}  // namespace nut
