// The host's wait for a change of the UPS state, with the two holds that may keep it waiting
// during a power failure (the tray's "action blocked" switch and the wait before action) and the
// events that record what the host was told.
//
// Runs on the host's thread; the hooks reach the state-change event, the shared block and the
// clocks, so the whole control flow is the same natively under test and in the library.
#pragma once

#include <cstdint>

#include "core/monitor_core.h"

namespace core {

class WaitHooks {
 public:
  virtual ~WaitHooks() = default;
  // Waits on the state-change event (pulsed by the query thread and by a cancel).
  virtual void wait_state_change(std::uint32_t timeout_ms) = 0;
  virtual void sleep(std::uint32_t ms) = 0;
  virtual std::uint32_t tick_count() = 0;
  virtual void beep(std::uint32_t frequency_hz, std::uint32_t duration_ms) = 0;
  // The shared block as the query thread last published it.
  virtual std::uint32_t shutdown_reason() = 0;
  virtual bool action_blocked() = 0;
  virtual float capacity() = 0;
  virtual float battery_voltage() = 0;
  // One line of the event file, already formatted.
  virtual void log_event(int code, const char* text) = 0;
};

// Blocks until the state differs from `waited_state`, `limit_ms` passed (0xFFFFFFFF: never) or
// a cancel came, and possibly longer while a hold applies. The caller reads the outcome from
// core.current_state.
void wait_for_state_change(MonitorCore& core, WaitHooks& hooks, std::uint32_t waited_state,
                           std::uint32_t limit_ms);

}  // namespace core
