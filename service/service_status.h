// The status record the service "UPS" reports to the service control manager, and what each
// control does to it.
//
// Not synchronised: the owner (the service's status reporter) guards the record, since the
// control handler and the monitoring loop report from different threads.
#pragma once

#include <cstdint>

#include "service/service_waits.h"

namespace service {

// Own process and shared process bits.
inline constexpr std::uint32_t kServiceTypeReported = 0x30;
// Stop, pause and continue, shutdown, parameter change.
inline constexpr std::uint32_t kControlsAccepted = 15;
inline constexpr std::uint32_t kStartWaitHintMs = 10000;
// The clean stop of the monitoring (UPSStop) takes about one polling cycle.
inline constexpr std::uint32_t kStopWaitHintMs = 2000;

inline constexpr std::uint32_t kControlStop = 1;
inline constexpr std::uint32_t kControlPause = 2;
inline constexpr std::uint32_t kControlContinue = 3;
inline constexpr std::uint32_t kControlInterrogate = 4;
inline constexpr std::uint32_t kControlShutdown = 5;
inline constexpr std::uint32_t kErrorCallNotImplemented = 120;

struct ServiceStatusRecord {
  std::uint32_t service_type = kServiceTypeReported;
  std::uint32_t state = kServiceStartPending;
  std::uint32_t controls_accepted = kControlsAccepted;
  std::uint32_t win32_exit_code = 0;
  std::uint32_t specific_exit_code = 0;
  std::uint32_t check_point = 0;
  std::uint32_t wait_hint = kStartWaitHintMs;
};

void set_state(ServiceStatusRecord& record, std::uint32_t state, std::uint32_t wait_hint = 0);
void set_stopped(ServiceStatusRecord& record, std::uint32_t win32_exit_code, std::uint32_t specific_exit_code);

// What the handler does for one control.
struct ControlHandling {
  bool report = false;               // report the record (changed or not)
  bool stop_monitoring = false;      // ask the monitoring loop to stop
  bool forward_end_session = false;  // tell the library that the session ends (`setup` 6)
  std::uint32_t result = 0;          // the handler's return value
};

// Applies `control` to `record`. Stop: stop-pending until the loop has stopped the monitoring.
// Pause and continue only change the reported state (the monitoring goes on). Unknown controls
// change nothing and return kErrorCallNotImplemented.
ControlHandling handle_control(ServiceStatusRecord& record, std::uint32_t control);

// Whether the loop's "running" may replace `current` (not once a stop is under way).
bool may_report_running(const ServiceStatusRecord& current);

}  // namespace service
