#include "service/monitoring_loop.h"

#include <cstdio>

#include "core/config_value_names.h"
#include "core/event_log.h"
#include "core/event_texts.h"
#include "core/ups_state.h"
#include "platform/debug_trace.h"
#include "service/critical_action.h"

namespace service {
namespace {

// The operating system's own UPS service reads the same names.
constexpr char kCriticalPowerAction[] = "CriticalPowerAction";
constexpr char kTurnUpsOffEnable[] = "TurnUPSOffEnable";
constexpr char kShutdownOnBatteryEnable[] = "ShutdownOnBatteryEnable";
constexpr char kShutdownOnBatteryWait[] = "ShutdownOnBatteryWait";

constexpr std::uint32_t kMsPerMinute = 60000;

void record(DriverLibrary& library, const core::event::Text& text, const char* argument) {
  library.record_event(static_cast<std::uint32_t>(text.code), core::with_argument(text.format, argument).c_str());
}

void report_not_started(HostEnvironment& host, const char* reason) {
  const core::event::Text& text = core::event::kServiceNotStarted;
  host.report_event_without_library(text.code, core::with_argument(text.format, reason));
}

}  // namespace

std::uint32_t state_wait_limit(const MonitoringSettings& settings, std::uint32_t state) {
  if (!settings.shutdown_on_battery_enable || state != core::UPS_ONBATTERY) return kNoTimeLimit;
  if (settings.shutdown_on_battery_wait > kNoTimeLimit / kMsPerMinute) return kNoTimeLimit - 1;
  return settings.shutdown_on_battery_wait * kMsPerMinute;
}

void MonitoringLoop::request_stop() {
  stop_requested_ = true;
  std::lock_guard lock(cancel_mutex_);
  if (waiting_) library_.cancel_wait();
}

void MonitoringLoop::run() {
  if (!host_.open_config()) {
    host_.report_stopped(kErrorFileNotFound, 0);
    return;
  }
  if (host_.read_string(core::config_value::kModel).empty() || host_.read_string(core::config_value::kVendor).empty()) {
    host_.report_stopped(kErrorServiceSpecific, kNoUpsConfigured);
    return;
  }
  for (;;) {
    if (!library_.load()) {
      debug_trace("Error load dll\n");
      char reason[160];
      std::snprintf(reason, sizeof reason, "%s (ошибка %u)", core::event::start_failure::kLibraryNotLoaded,
                    static_cast<unsigned>(library_.load_error()));
      report_not_started(host_, reason);
      host_.report_stopped(kErrorModNotFound, 0);
      return;
    }
    if (!start_monitoring()) return;
    const std::uint32_t state = follow_state();
    if (state == 0) {
      finish_on_request();
      return;
    }
    // After a hibernation the machine has resumed: monitoring starts over, unless the service
    // was asked to stop meanwhile.
    if (act_at_critical_point(state) != kActionHibernate || stop_requested_) {
      host_.report_stopped(0, 0);
      return;
    }
  }
}

bool MonitoringLoop::start_monitoring() {
  if (!library_.bind()) {
    report_not_started(host_, core::event::start_failure::kLibraryIncomplete);
    host_.report_stopped(kErrorProcNotFound, 0);
    return false;
  }
  if (!read_settings()) {
    host_.report_stopped(kErrorFileNotFound, 0);
    return false;
  }
  const std::uint32_t result = library_.init();
  if (result != core::UPS_INITOK) {
    // Traced before the report: whoever waits for the stop finds the reason already written.
    debug_trace("UPSInit error %d\n", static_cast<int>(result));
    host_.report_stopped(kErrorServiceSpecific, result);
    return false;
  }
  host_.report_running();
  return true;
}

bool MonitoringLoop::read_settings() {
  return host_.read_dword(kCriticalPowerAction, settings_.critical_power_action) &&
         host_.read_dword(kTurnUpsOffEnable, settings_.turn_ups_off_enable) &&
         host_.read_dword(core::config_value::kTurnUpsOffWait, settings_.turn_ups_off_wait) &&
         host_.read_dword(kShutdownOnBatteryEnable, settings_.shutdown_on_battery_enable) &&
         host_.read_dword(kShutdownOnBatteryWait, settings_.shutdown_on_battery_wait);
}

std::uint32_t MonitoringLoop::follow_state() {
  std::uint32_t previous = 0;
  for (;;) {
    if (stop_requested_) return 0;
    const std::uint32_t state = library_.get_state();
    if (state == core::UPS_LOWBATTERY || (state == core::UPS_ONBATTERY && state == previous)) return state;
    // Changed at run time by the settings pages; a failed read keeps what was read before.
    host_.read_dword(kShutdownOnBatteryEnable, settings_.shutdown_on_battery_enable);
    host_.read_dword(kShutdownOnBatteryWait, settings_.shutdown_on_battery_wait);
    {
      std::lock_guard lock(cancel_mutex_);
      if (stop_requested_) return 0;
      waiting_ = true;
    }
    library_.wait_for_state_change(state, state_wait_limit(settings_, state));
    {
      std::lock_guard lock(cancel_mutex_);
      waiting_ = false;
    }
    previous = state;
  }
}

std::uint32_t MonitoringLoop::act_at_critical_point(std::uint32_t state) {
  // The other computers on the UPS go down first; the settings are read after their wait.
  library_.let_network_clients_go_first();
  host_.read_dword(kTurnUpsOffEnable, settings_.turn_ups_off_enable);
  host_.read_dword(core::config_value::kTurnUpsOffWait, settings_.turn_ups_off_wait);
  host_.read_dword(kCriticalPowerAction, settings_.critical_power_action);
  std::uint32_t test_mode = 0;
  host_.read_dword(core::config_value::kPowerActionTestMode, test_mode);
  const bool rehearsed = test_mode != 0;
  host_.set_power_action_test_mode(rehearsed);

  const std::uint32_t action = settings_.critical_power_action;
  record(library_, core::event::kCriticalPoint, state == core::UPS_LOWBATTERY ? "да" : "нет");
  library_.hold_server_session();
  if (settings_.turn_ups_off_enable) library_.turn_off(settings_.turn_ups_off_wait);
  library_.stop();
  record(library_, core::event::kCriticalAction, action == kActionShutdown ? "выключение" : "спящий режим");
  // The library stays loaded until the action is under way, so that a NUT server's primary is
  // told only then; a rehearsed action also records its line through the library.
  perform_critical_action(action, host_, rehearsed, [&] {
    library_.end_server_session();
    if (!rehearsed) library_.unload();
  });
  if (rehearsed) library_.unload();
  return action;
}

void MonitoringLoop::finish_on_request() {
  library_.stop();
  library_.unload();
  host_.report_stopped(0, 0);
}

}  // namespace service
