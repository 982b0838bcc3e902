// CoreHooks: what the monitoring core's decisions need from the running library — the
// state-change event, the shared block, the event file, the statistics and the configuration.
// The library implements it over its Win32 objects; tests script it. Beeps, clocks and power
// requests go through platform::side_effects() instead.
#pragma once

#include <cstdint>
#include <memory>

#include "core/config_store.h"

namespace core {

class CoreHooks {
 public:
  virtual ~CoreHooks() = default;
  // Waits on the state-change event (pulsed by the query thread and by a cancel).
  virtual void wait_state_change(std::uint32_t timeout_ms) = 0;
  virtual void sleep(std::uint32_t ms) = 0;
  // The shared block as the query thread last published it, and the tray's switches in it.
  virtual std::uint32_t shutdown_reason() = 0;
  virtual bool action_blocked() = 0;
  virtual bool turn_off_blocked() = 0;
  virtual float capacity() = 0;
  virtual float battery_voltage() = 0;
  // One line of the event file, already formatted.
  virtual void log_event(int code, const char* text) = 0;
  virtual void flush_statistics() = 0;
  // The Config key, opened for the moment of a decision; null when it cannot be opened.
  virtual std::unique_ptr<ConfigStore> open_config() = 0;
  virtual void enable_shutdown_privilege() = 0;
};

}  // namespace core
