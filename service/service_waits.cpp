#include "service/service_waits.h"

#include <algorithm>

namespace service {
namespace {

constexpr std::uint32_t kStartPollMinMs = 1000;
constexpr std::uint32_t kStartPollMaxMs = 10000;
constexpr std::uint32_t kStopPollMinMs = 100;

class StopClock {
 public:
  explicit StopClock(ServicePort& port) : port_(port), start_(port.tick_count()) {}
  std::uint32_t elapsed() const { return port_.tick_count() - start_; }
  bool expired() const { return elapsed() > kStopLimitMs; }
  void sleep_hint(std::uint32_t wait_hint) {
    const std::uint32_t left = kStopLimitMs - std::min(elapsed(), kStopLimitMs) + 1;
    port_.sleep(std::min(std::max(wait_hint, kStopPollMinMs), left));
  }

 private:
  ServicePort& port_;
  std::uint32_t start_;
};

// Sleeps and queries until the service is stopped (0), a query fails (its error) or the limit
// passed (kErrorTimeout). `keep_waiting` says whether a status is still worth waiting on.
template <typename KeepWaiting>
std::uint32_t wait_for_stop(ServicePort& port, StopClock& clock, ServiceProgress& progress,
                            KeepWaiting keep_waiting) {
  while (keep_waiting(progress)) {
    clock.sleep_hint(progress.wait_hint);
    std::uint32_t error = 0;
    if (!port.query(progress, error)) return error;
    if (progress.state == kServiceStopped) return 0;
    if (clock.expired()) return kErrorTimeout;
  }
  return 0;
}

}  // namespace

std::uint32_t start_poll_interval(std::uint32_t wait_hint) {
  return std::clamp(wait_hint / 10, kStartPollMinMs, kStartPollMaxMs);
}

void wait_while_starting(ServicePort& port, ServiceProgress& last) {
  std::uint32_t noted_tick = port.tick_count();
  std::uint32_t noted_check_point = last.check_point;
  while (last.state == kServiceStartPending) {
    port.sleep(start_poll_interval(last.wait_hint));
    std::uint32_t error = 0;
    if (!port.query(last, error)) return;
    if (last.check_point > noted_check_point) {
      noted_tick = port.tick_count();
      noted_check_point = last.check_point;
    } else if (port.tick_count() - noted_tick > last.wait_hint) {
      return;
    }
  }
}

std::uint32_t stop_service(ServicePort& port) {
  StopClock clock(port);
  ServiceProgress progress;
  std::uint32_t error = 0;
  if (!port.query(progress, error)) return error;
  if (progress.state == kServiceStopped) return 0;
  const auto stop_pending = [](const ServiceProgress& p) { return p.state == kServiceStopPending; };
  if (std::uint32_t result = wait_for_stop(port, clock, progress, stop_pending); result != 0) return result;
  if (progress.state == kServiceStopped) return 0;
  if (!port.send_stop(error)) return error == kErrorServiceNotActive ? 0 : error;
  const auto not_stopped = [](const ServiceProgress& p) { return p.state != kServiceStopped; };
  return wait_for_stop(port, clock, progress, not_stopped);
}

}  // namespace service
