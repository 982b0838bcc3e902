// The service's wait at its critical point for the computers it serves: every client that did
// LOGIN (an upsmon on another computer) is shown FSD, and the service gives them the time to shut
// down and log out before it turns the UPS off and acts itself.
//
// Those logged in are counted before they are told, so that a client quick to leave is still
// counted as told and gone. The wait ends as soon as none is logged in any more, and at the latest
// after the limit ("HostSync"), whatever the server does: the count is read from a word the
// server's thread publishes, so a server that no longer answers only makes the wait last its full
// length. Clients that log in during the wait are waited for too, but never counted as told or
// gone. The clock and the pause are passed in, so the rule is tested natively.
#pragma once

#include <chrono>
#include <cstddef>

namespace nut {

class DepartureWatch {
 public:
  using Milliseconds = std::chrono::milliseconds;

  virtual ~DepartureWatch() = default;
  virtual std::size_t logged_in() = 0;
  // Shows FSD to every client from now on.
  virtual void tell() = 0;
  virtual Milliseconds now() = 0;
  virtual void pause(Milliseconds length) = 0;
};

struct Departures {
  std::size_t told = 0;  // logged in when they were told
  std::size_t gone = 0;  // of those, logged out or disconnected when it ended
  std::chrono::milliseconds waited{0};
};

inline constexpr std::chrono::milliseconds kDepartureCheckInterval{100};

Departures wait_for_departures(DepartureWatch& watch, std::chrono::milliseconds limit);

}  // namespace nut
