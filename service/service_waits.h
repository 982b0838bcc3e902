// Starting and stopping the service "UPS" from the command line: the waits on the service control
// manager's reports, bounded so that a service that hangs cannot hold the installer forever.
//
// Runs on the caller's thread; the clock and the sleeps come through the port, so the waits are
// tested on a scripted manager.
#pragma once

#include <cstdint>

namespace service {

// Service states as the manager reports them.
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceStartPending = 2;
inline constexpr std::uint32_t kServiceStopPending = 3;
inline constexpr std::uint32_t kServiceRunning = 4;
inline constexpr std::uint32_t kServicePaused = 7;

inline constexpr std::uint32_t kStopLimitMs = 30000;
inline constexpr std::uint32_t kErrorTimeout = 1460;
inline constexpr std::uint32_t kErrorServiceNotActive = 1062;

struct ServiceProgress {
  std::uint32_t state = 0;
  std::uint32_t win32_exit_code = 0;
  std::uint32_t specific_exit_code = 0;
  std::uint32_t check_point = 0;
  std::uint32_t wait_hint = 0;
};

// One opened service and the clock.
class ServicePort {
 public:
  virtual ~ServicePort() = default;
  // False with the system's error code when the query or the control failed.
  virtual bool query(ServiceProgress& progress, std::uint32_t& error) = 0;
  virtual bool send_stop(std::uint32_t& error) = 0;
  virtual void sleep(std::uint32_t ms) = 0;
  virtual std::uint32_t tick_count() = 0;
};

// How long to sleep between two queries of a starting service: a tenth of its wait hint, within
// 1 to 10 seconds.
std::uint32_t start_poll_interval(std::uint32_t wait_hint);

// Waits while the service is start-pending and its check-point keeps growing within its wait
// hint. `last` holds the status the caller queried after starting it, and on return the last
// status read; a failed query ends the wait.
void wait_while_starting(ServicePort& port, ServiceProgress& last);

// Stops the service and waits until it is stopped, 30 s at most from the call: 0, the system's
// error code, or kErrorTimeout. Each sleep lasts the service's wait hint, but at least 100 ms (a
// hint of 0 would spin) and no longer than the limit leaves. A service that ends by itself before
// the stop control reaches it counts as stopped.
std::uint32_t stop_service(ServicePort& port);

}  // namespace service
