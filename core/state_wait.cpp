#include "core/state_wait.h"

#include "core/event_log.h"
#include "core/ups_state.h"
#include "platform/debug_trace.h"
#include "platform/side_effects.h"

namespace core {
namespace {

// Where the checks start again after the wait before action, when the tray blocks the action.
enum class Entry { clear_failure, link_loss_rule };

// What ended a hold.
enum class HoldEnd { settled, cancelled };

bool failing(std::uint32_t s) { return s == UPS_ONBATTERY || s == UPS_LOWBATTERY; }

int truncated(float value) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
  return static_cast<int>(value);
}

// A hold applies while the host waits out a failure it already knows of, or the battery is low
// because of a threshold (not because the UPS says so).
bool hold_applies(CoreHooks& hooks, std::uint32_t waited, std::uint32_t s) {
  return (waited == UPS_ONBATTERY && s == UPS_ONBATTERY) || (s == UPS_LOWBATTERY && hooks.shutdown_reason() != 0);
}

// The UPS's own battery-low bit ends a hold once it is seen twice, 50 ms apart.
bool battery_low_by_ups(MonitorCore& core, CoreHooks& hooks, std::uint32_t& s) {
  if (s != UPS_LOWBATTERY || hooks.shutdown_reason() != 0) return false;
  hooks.sleep(50);
  s = core.current_state;
  return s == UPS_LOWBATTERY && hooks.shutdown_reason() == 0;
}

void record_change(MonitorCore& core, CoreHooks& hooks, std::uint32_t waited, std::uint32_t& s) {
  if (s != UPS_NOCOMM && waited == UPS_NOCOMM) {
    write_event(hooks, event::kLinkRestored);
    s = core.current_state;
  } else if (s == UPS_ONLINE) {
    write_event(hooks, event::kPowerRestored);
    s = core.current_state;
  }
  if (s == UPS_ONBATTERY) {
    write_event(hooks, event::kOnBattery);
    s = core.current_state;
  }
  if (s == UPS_NOCOMM) {
    write_event(hooks, event::kNoLink);
    s = core.current_state;
  }
  // A network client's forced shutdown has its own line, written when it was taken.
  if (s == UPS_LOWBATTERY && hooks.shutdown_reason() == 0 && !core.forced_by_network) {
    if (core.server_forced_shutdown)
      write_event(hooks, event::kServerForcedShutdown);
    else
      write_event(hooks, event::kBatteryLowByUps, static_cast<double>(hooks.battery_voltage()));
  }
}

// Waits in 200 ms steps until the failure settles: mains back, the link lost, battery low by the
// UPS itself, or `ends_early()` says the hold is over.
template <typename EndsEarly>
HoldEnd hold(MonitorCore& core, CoreHooks& hooks, std::uint32_t& s, EndsEarly ends_early) {
  for (;;) {
    hooks.wait_state_change(200);
    if (core.cancel_requested) return HoldEnd::cancelled;
    s = core.current_state;
    if (battery_low_by_ups(core, hooks, s)) return HoldEnd::settled;
    if (s == UPS_ONLINE || s == UPS_NOCOMM) return HoldEnd::settled;
    if (ends_early()) return HoldEnd::settled;
  }
}

HoldEnd hold_while_action_blocked(MonitorCore& core, CoreHooks& hooks, std::uint32_t& s) {
  debug_trace("UPS::BLOCK SHUTDOWN\n");
  return hold(core, hooks, s, [&] { return !hooks.action_blocked(); });
}

HoldEnd hold_before_action(MonitorCore& core, CoreHooks& hooks, std::uint32_t& s) {
  const std::uint32_t enable = core.settings.wait_ba_enable;
  const std::uint32_t seconds = core.settings.wait_ba_wait;
  debug_trace("UPS::WAIT %d %d\n", static_cast<int>(enable), static_cast<int>(seconds));
  platform::SideEffects& effects = platform::side_effects();
  effects.beep(500, 1000);
  const std::uint32_t start = effects.tick_count();
  // In 64 bits: the setting may hold any DWORD, and seconds * 1000 must not wrap into a short hold.
  const std::uint64_t limit_ms = std::uint64_t{seconds} * 1000u;
  return hold(core, hooks, s, [&] { return std::uint32_t(effects.tick_count() - start) >= limit_ms; });
}

void report_threshold(MonitorCore& core, CoreHooks& hooks) {
  std::uint32_t reason = hooks.shutdown_reason();
  if (reason == kReasonCapacity) {
    int capacity = truncated(hooks.capacity());
    int threshold = static_cast<int>(core.settings.shutdown_on_cap_battery_wait);
    debug_trace("UPS::ShutdownOnCap: cur:%d%% threshold:%d%%\n", capacity, threshold);
    write_event(hooks, event::kCapacityThreshold, capacity, threshold);
  } else if (reason == kReasonVoltage) {
    float volts = hooks.battery_voltage();
    std::uint32_t threshold = core.settings.shutdown_on_u_battery_wait;
    debug_trace("UPS::ShutdownOnUBat: cur:%d threshold:%d\n", truncated(volts * 10.0f), static_cast<int>(threshold));
    write_event(hooks, event::kVoltageThreshold, static_cast<double>(volts), threshold * 0.1);
  }
}

// Steps from the failure bookkeeping to the end of the holds; false when a cancel ended them.
bool settle(MonitorCore& core, CoreHooks& hooks, std::uint32_t waited, std::uint32_t& s) {
  Entry entry = Entry::clear_failure;
  for (;;) {
    if (entry == Entry::clear_failure && !failing(s)) core.power_failure_seen = false;
    if (waited == UPS_ONBATTERY && (s == UPS_ONBATTERY || s == UPS_NOCOMM)) {
      // A lost link during a failure counts as mains being back: the host must not act on it.
      if (s == UPS_NOCOMM && !core.served_ups) s = core.current_state = UPS_ONLINE;
      debug_trace(" UPS::Wait 0sec for test: currentStateUPS:%d waitStateUPS:%d\n", static_cast<int>(s),
                  static_cast<int>(core.waiter_state.load()));
    }
    if (failing(s)) core.power_failure_seen = true;
    if (s != waited) record_change(core, hooks, waited, s);

    if (hooks.action_blocked() && hold_applies(hooks, waited, s) &&
        hold_while_action_blocked(core, hooks, s) == HoldEnd::cancelled)
      return false;

    if (!core.settings.wait_ba_enable || !core.settings.wait_ba_wait || !hold_applies(hooks, waited, s)) return true;
    if (hold_before_action(core, hooks, s) == HoldEnd::cancelled) return false;
    if (!hooks.action_blocked()) return true;
    if (s == UPS_ONBATTERY) {
      entry = Entry::link_loss_rule;
    } else if (s == UPS_LOWBATTERY && hooks.shutdown_reason() != 0) {
      entry = Entry::clear_failure;
    } else {
      return true;
    }
  }
}

}  // namespace

void wait_for_state_change(MonitorCore& core, CoreHooks& hooks, std::uint32_t waited_state, std::uint32_t limit_ms) {
  core.waiter_state = waited_state;
  debug_trace("UPS::UPSWaitForStateChange(%d, %d)\n", static_cast<int>(waited_state), static_cast<int>(limit_ms));
  hooks.wait_state_change(limit_ms);
  if (!core.cancel_requested) {
    std::uint32_t s = core.current_state;
    if (settle(core, hooks, waited_state, s)) {
      if (s == UPS_LOWBATTERY) report_threshold(core, hooks);
      debug_trace("UPS::UPSWaitForStateChange END = %d\n", static_cast<int>(s));
    }
  }
  core.cancel_requested = false;
}

}  // namespace core
