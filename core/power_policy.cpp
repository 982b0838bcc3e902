#include "core/power_policy.h"

#include <cstdio>

#include "core/config_value_names.h"
#include "core/event_log.h"
#include "platform/debug_trace.h"
#include "platform/side_effects.h"

namespace core {
namespace {

void power_off(MonitorCore& core, platform::SideEffects& effects) {
  std::uint32_t flags = effects.soft_off_supported() ? kExitPowerOff : kExitShutdown;
  if (!effects.exit_windows(flags, kPlannedShutdownReason)) core.policy.last_action_request = 0;
}

// Standby and hibernation return when the machine wakes: the UPS may hold a turn-off queued at
// the suspend, which the query thread cancels in its next answered cycle.
void after_wake(MonitorCore& core) {
  core.policy.reset_turn_off_needed = true;
  core.policy.last_action_request = 0;
}

bool action_requested_elsewhere_allows_turn_off(std::uint32_t last_request) {
  // Restart, standby and the "UPS left on" actions never switch the UPS off.
  return last_request < 3 || last_request > 6;
}

// The query thread takes the request in its next cycle; a polling that stopped never will.
void wait_until_taken(MonitorCore& core, CoreHooks& hooks) {
  for (std::uint32_t waited = 0; core.policy.turn_off_pending; waited += 200) {
    if (!core.running || waited >= kTurnOffTakeLimitMs) {
      if (core.policy.turn_off_pending.exchange(false)) debug_trace("UPS::turn off request dropped\n");
      return;
    }
    hooks.sleep(200);
  }
}

}  // namespace

void run_power_action(MonitorCore& core, CoreHooks& hooks, std::uint32_t action) {
  // The code comes from the shared block or the pipe: an unknown one must not even be remembered,
  // since the end-of-session watcher would read it as "no action of ours" and turn the UPS off.
  if (action > kLastActionRequest - kFirstActionRequest) {
    debug_trace("UPS::power action %u ignored\n", static_cast<unsigned>(action));
    return;
  }
  hooks.enable_shutdown_privilege();
  const std::uint32_t request = action + 1;
  core.policy.last_action_request = request;
  char line[64];
  std::snprintf(line, sizeof line, event::kCommandedActionFormat, static_cast<int>(request));
  hooks.log_event(event::kCommandedActionBase + static_cast<int>(request), line);

  platform::SideEffects& effects = platform::side_effects();
  switch (action) {
    case 0:
    case 4:
      power_off(core, effects);
      break;
    case 1:
    case 5:
      if (!effects.set_power_state(true, true)) write_event(hooks, event::kHibernateRefused);
      after_wake(core);
      break;
    case 2:
      if (!effects.exit_windows(kExitRestart, kPlannedShutdownReason)) core.policy.last_action_request = 0;
      break;
    case 3:
      effects.set_power_state(false, true);
      after_wake(core);
      break;
    default:
      break;
  }
}

bool queue_turn_off_if_wanted(MonitorCore& core, CoreHooks& hooks, const event::Text& text) {
  if (core.served_ups) {
    debug_trace("UPS::turn-off not queued: the UPS is served by another computer\n");
    return false;
  }
  const std::uint32_t last_request = core.policy.last_action_request;
  if (hooks.turn_off_blocked() || platform::side_effects().ctrl_key_down() ||
      !action_requested_elsewhere_allows_turn_off(last_request))
    return false;
  std::unique_ptr<ConfigStore> config = hooks.open_config();
  if (!config) return false;
  std::uint32_t enabled = 0;
  if (last_request == 0 && (!config->read_dword(config_value::kTurnUpsOffEnable2, enabled) || enabled == 0))
    return false;
  std::uint32_t delay = 0;
  if (!config->read_dword(config_value::kTurnUpsOffWait, delay)) return false;

  write_event(hooks, text, static_cast<int>(delay));
  core.policy.turn_off_delay = delay;
  core.policy.turn_off_pending = true;
  wait_until_taken(core, hooks);
  return true;
}

void on_suspend(MonitorCore& core, CoreHooks& hooks) {
  core.policy.suspended = true;
  const int last_request = static_cast<int>(core.policy.last_action_request.load());
  if (!core.running) {
    write_event(hooks, event::kSuspendByAction, last_request);
    debug_trace("UPS::Suspend/Hibernate by action\n");
    hooks.flush_statistics();
    return;
  }
  write_event(hooks, event::kSuspendByUser, last_request);
  debug_trace("UPS::Suspend/Hibernate by manual\n");
  hooks.flush_statistics();
  if (queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterSuspend)) core.policy.turn_off_sent = false;
}

void on_resume(MonitorCore& core, CoreHooks& hooks) {
  core.policy.suspended = false;
  write_event(hooks, event::kResumed);
  debug_trace("UPS::Resume from suspend\n");
}

void on_end_session(MonitorCore& core, CoreHooks& hooks) {
  const int last_request = static_cast<int>(core.policy.last_action_request.load());
  if (!core.running) {
    write_event(hooks, event::kShutdownByAction, last_request);
    hooks.flush_statistics();
    return;
  }
  if (core.policy.end_session_seen.exchange(true) || core.policy.turn_off_sent) return;
  write_event(hooks, event::kShutdownByUser, last_request);
  hooks.flush_statistics();
  queue_turn_off_if_wanted(core, hooks, event::kTurnOffAfterShutdown);
}

}  // namespace core
