// The six exports of the minidriver interface: how a host (the service host, or the system's own
// UPS service before Vista) starts, follows, and stops the monitoring of the UPS.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "core/config_value_names.h"
#include "core/cycle_rules.h"
#include "core/event_log.h"
#include "core/event_reactions_win.h"
#include "core/event_texts.h"
#include "core/library_core_win.h"
#include "core/library_hooks_win.h"
#include "core/model_database_win.h"
#include "core/monitor_window_win.h"
#include "core/network_credentials_win.h"
#include "core/power_action_rehearsal.h"
#include "core/query_thread_win.h"
#include "core/registry_config_store_win.h"
#include "core/state_wait.h"
#include "core/ups_operations.h"
#include "core/ups_state.h"
#include "link/commands.h"
#include "link/status_reading.h"
#include "link/turn_off_command.h"
#include "link/usb_contact.h"
#include "nut/server_address.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"
#include "platform/side_effects.h"
#include "stats/log_event.h"

namespace core {
namespace {

constexpr std::size_t kPortBufferSize = 255;
// Polling cycles the first contact with a NUT server may take before monitoring starts without it.
constexpr int kNetworkContactCycles = 3;

// Every step of a start that may fail; the result says how far it came.
class Start {
 public:
  explicit Start(LibraryCore& core) : core_(core), monitor_(core.monitor) {}

  std::uint32_t run() {
    debug_trace("UPS::UPSInit(void)\n");
    open_pipe();
    monitor_.reset();
    stats::process_stat_core().trace_at_unload();
    if (!stats::process_stat_core().load_config())
      return failed(UPS_INITREGISTRYERROR, event::start_failure::kNoSettingsKey);
    if (!open_publication()) return UPS_INITUNKNOWNERROR;
    core_.keyboard.open();
    if (!load_configuration()) return UPS_INITREGISTRYERROR;
    if (std::uint32_t result = open_link(); result != UPS_INITOK) return result;
    std::optional<ups_link::StatusReading> first = first_contact();
    if (!first) return UPS_INITUNKNOWNERROR;
    begin_monitoring(*first);
    core_.sharing.start({core_.vendor, model_, served_port()}, monitor_.model, core_.publisher.published(),
                        monitor_.settings);
    if (!start_query_thread(core_, first->status)) {
      core_.serial.close();
      return failed(UPS_INITUNKNOWNERROR, event::start_failure::kNoQueryThread);
    }
    start_monitor_window(core_);
    debug_trace("UPS::UPSInit(void)==UPS_INITOK\n");
    log_event(event::kServiceStarted.code, "%s", event::kServiceStarted.format);
    if (!first->answered) log_event(event::kNoLink.code, "%s", event::kNoLink.format);
    return UPS_INITOK;
  }

  // Why the start failed, for the event line; empty when it did not.
  const std::string& failure() const { return failure_; }

 private:
  ipc::UpsSharedBlock& block() { return *core_.block(); }

  // First of all, so that the name is the service's before anything else can fail. A pipe that
  // cannot be had stops nothing: the polling thread tries again every cycle.
  void open_pipe() {
    debug_trace(" UPS::UPSc.create() - ");
    if (core_.pipe.is_open() || core_.pipe.open())
      debug_trace("OK\n");
    else
      debug_trace("error %u: monitoring goes on without it\n", static_cast<unsigned>(core_.pipe.last_open_error()));
  }

  static void record_adoption(const std::string& name, platform::Adoption adoption) {
    if (adoption == platform::Adoption::taken_back)
      log_event(event::kObjectTakenBack.code, event::kObjectTakenBack.format, name.c_str());
    else if (adoption == platform::Adoption::refused)
      log_event(event::kObjectRefused.code, event::kObjectRefused.format, name.c_str());
  }

  // Notes why the start fails: `reason` with the port for its "%s". False, for the steps that
  // say whether they worked.
  bool failed(const char* reason) {
    failure_ = with_argument(reason, core_.transport == TransportKind::usb ? "USB" : port_);
    return false;
  }
  std::uint32_t failed(std::uint32_t result, const char* reason) {
    failed(reason);
    return result;
  }

  bool open_publication() {
    debug_trace(" UPS::openSharedMemory - ");
    const bool opened = core_.publisher.open_block();
    record_adoption(core_.publisher.block_name(), core_.publisher.block_adoption());
    if (!opened) return failed(event::start_failure::kSharedBlock);
    block().action_request = 0;
    block().turn_off_blocked = 0;
    block().action_blocked = 0;
    debug_trace("OK\n");
    return true;
  }

  static void record_rehearsal(int code, const char* text) { log_event(code, "%s", text); }

  static void apply_power_action_test_mode(HKEY config) {
    std::uint32_t test_mode = 0;
    platform::read_dword_value(config, config_value::kPowerActionTestMode, test_mode);
    set_power_action_test_mode(test_mode != 0, record_rehearsal);
  }

  bool load_configuration() {
    debug_trace(" UPS::loading config - ");
    platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
    if (!config) return failed(event::start_failure::kNoSettingsKey);
    RegistryConfigStore store(config.get());
    SettingsLoadResult names = load_settings(store, monitor_.settings);
    if (!names.names_found) return failed(event::start_failure::kNoUpsChosen);
    apply_power_action_test_mode(config.get());
    config.reset();
    debug_trace("OK\n");

    debug_trace(" UPS::model = %s (%s)\n", names.model, names.vendor);
    std::strcpy(model_, names.model);
    monitor_.model = read_configured_model(names.model);
    std::strcpy(core_.vendor, names.vendor);
    ipc::set_block_vendor(block(), names.vendor);
    ipc::set_block_model(block(), monitor_.model.valid ? names.model : "");

    platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
    if (!service || !platform::read_string_value(service.get(), "Port", port_, sizeof port_))
      return failed(event::start_failure::kNoPort);
    return true;
  }

  std::uint32_t open_link() {
    // A UPS another computer serves is what the administrator chose: no USB UPS takes its place.
    if (nut::is_network_port(port_)) return open_network_link();
    if (ups_link::attach_usb_ups(core_.usb)) {
      core_.transport = TransportKind::usb;
      ipc::set_block_port(block(), "USB");
    } else {
      core_.transport = TransportKind::serial;
      debug_trace(" UPS::Port = %s\n", port_);
      if (std::strcmp(port_, "USB") == 0) return failed(UPS_INITREGISTRYERROR, event::start_failure::kNoUsbUps);
      int opened = core_.serial.open(port_);
      if (opened != ups_link::kSerialOpened)
        return failed(static_cast<std::uint32_t>(opened), opened == UPS_INITCOMMOPENERROR
                                                              ? event::start_failure::kPortNotOpened
                                                              : event::start_failure::kPortNotSetUp);
      ipc::set_block_port(block(), port_);
    }
    std::strcpy(monitor_.query_command, ups_link::status_query_command(monitor_.model.mod));
    return UPS_INITOK;
  }

  std::uint32_t open_network_link() {
    debug_trace(" UPS::Port = %s\n", port_);
    const nut::ParsedAddress parsed = nut::parse_server_address(port_);
    if (!parsed.address) {
      debug_trace(" UPS::the port is no server address: %s\n", nut::address_error_description(parsed.error));
      return failed(UPS_INITREGISTRYERROR, event::start_failure::kBadServerAddress);
    }
    NetworkCredentials credentials = read_network_credentials();
    core_.network.emplace(core_.tcp, core_.clock,
                          nut::ClientSettings{*parsed.address, credentials.user, credentials.password});
    core_.transport = TransportKind::network;
    monitor_.served_ups = true;
    ipc::set_block_port(block(), "NUT");
    return UPS_INITOK;
  }

  // A server that is not reachable yet (the network not up at boot) is no reason to fail: the
  // monitoring starts without a link and the polling loop keeps trying.
  ups_link::StatusReading first_network_contact() {
    for (int cycle = 0; cycle < kNetworkContactCycles; ++cycle) {
      nut::NetworkReading reading = core_.network->poll();
      if (reading.login_refused) record_login_refusal(core_, *reading.login_refused);
      if (!reading.reading.answered) continue;
      first_battery_ = reading.battery;
      monitor_.server_forced_shutdown = reading.forced_shutdown;
      debug_trace(" UPS::first raw data:%s\n", reading.reading.raw_line.c_str());
      return reading.reading;
    }
    debug_trace(" UPS::the server does not answer yet: monitoring starts without a link\n");
    return {};
  }

  std::optional<ups_link::StatusReading> first_contact() {
    if (core_.transport == TransportKind::network) return first_network_contact();
    std::optional<std::string> line =
        core_.transport == TransportKind::usb
            ? ups_link::usb_initial_contact(core_.usb, monitor_.query_command, core_.vendor)
            : core_.serial.initial_contact(monitor_.query_command);
    if (!line) {
      failed(event::start_failure::kNoAnswer);
      return std::nullopt;
    }
    ups_link::StatusReading first = ups_link::read_status(*line);
    if (!first.answered) {
      failed(event::start_failure::kAnswerNotRead);
      return std::nullopt;
    }
    return first;
  }

  void begin_monitoring(const ups_link::StatusReading& first) {
    monitor_.link_lost = !first.answered;
    monitor_.current_state =
        derive_state(monitor_.link_lost, first.status.status_bits, monitor_.server_forced_shutdown);
    debug_trace(" UPS::currentStateUPS=%d\n", static_cast<int>(monitor_.current_state.load()));
    core_.publisher.publish(first.status, monitor_.model, monitor_.link_lost, first_battery_);
    // A served UPS's beeper is the server's; the polling loop follows only this computer's wish.
    if (!monitor_.served_ups) reconcile_beeper(core_.link(), monitor_.settings, first.status.status_bits);
    cancel_pending_turn_off(core_.link(), false);
    core_.publisher.create_new_data_event();
    record_adoption(core_.publisher.event_name(), core_.publisher.event_adoption());
    core_.state_change.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    monitor_.last_change_time = process_clock_ms();
    monitor_.running = true;
  }

  const char* served_port() const { return core_.transport == TransportKind::usb ? "USB" : port_; }

  LibraryCore& core_;
  MonitorCore& monitor_;
  char port_[kPortBufferSize] = {};
  std::string failure_;
  ups_link::ServerBatteryValues first_battery_;
  char model_[kNameBufferSize] = {};
};

// Everything a start or a run acquired, released in the order of a stop. A session with a NUT
// server that the host holds for its critical action stays until the action has started.
void release(LibraryCore& core) {
  stop_query_thread(core);
  core.sharing.stop();
  core.publisher.close();
  core.serial.close();
  core.usb.close();
  if (!core.hold_network_session) end_network_session(core, false);
  core.state_change.reset();
  core.pipe.close();
  stop_monitor_window(core);
  core.keyboard.close();
}

}  // namespace
}  // namespace core

using namespace core;

extern "C" {

DWORD WINAPI UPSInit() {
  install_event_reactions();
  LibraryCore& core = library_core();
  Start start(core);
  std::uint32_t result = start.run();
  if (result != UPS_INITOK) {
    log_event(event::kServiceNotStarted.code, "%s",
              with_argument(event::kServiceNotStarted.format, start.failure()).c_str());
    // A host may try again in the same process: nothing of this attempt stays held.
    release(core);
    platform::side_effects().beep(500, 300);
  }
  return result;
}

DWORD WINAPI UPSGetState() {
  std::uint32_t state = library_core().monitor.current_state;
  debug_trace("UPS::UPSGetState == %d\n", static_cast<int>(state));
  return state;
}

void WINAPI UPSWaitForStateChange(DWORD state, DWORD timeout_ms) {
  LibraryCore& core = library_core();
  LibraryHooks hooks(core);
  wait_for_state_change(core.monitor, hooks, state, timeout_ms);
}

void WINAPI UPSCancelWait() {
  LibraryCore& core = library_core();
  debug_trace("UPS::UPSCancelWait\n");
  core.monitor.cancel_requested = true;
  if (core.state_change) PulseEvent(core.state_change.get());
  debug_trace("UPS::UPSCancelWait END\n");
}

void WINAPI UPSTurnOff(DWORD delay_seconds) {
  LibraryCore& core = library_core();
  if (core.monitor.served_ups) {
    debug_trace("UPS::UPSTurnOff: not sent, the UPS is served by another computer, whose primary alone switches it off\n");
    stop_query_thread(core);
    return;
  }
  std::uint32_t delay = delay_seconds > ups_link::kTurnOffMaxDelaySeconds ? ups_link::kTurnOffMaxDelaySeconds
                                                                          : delay_seconds;
  if (delay < ups_link::kTurnOffMinDelaySeconds) delay = ups_link::kTurnOffMinDelaySeconds;
  log_event(event::kTurnOffByHost.code, event::kTurnOffByHost.format, static_cast<int>(delay));
  debug_trace("UPS::UPSTurnOff delay %d sec\n", static_cast<int>(delay));
  stop_query_thread(core);
  if (const ipc::UpsSharedBlock* block = core.block())
    send_turn_off(core.monitor, core.link(),
                  {delay, block->turn_off_blocked, core.vendor, core.publisher.published().status.status_bits});
  debug_trace("UPS::UPSTurnOff END\n");
}

void WINAPI UPSStop() {
  LibraryCore& core = library_core();
  debug_trace("UPS::UPSStop\n");
  if (core.monitor.power_failure_seen.exchange(false)) stats::process_stat_core().add_action();
  stats::process_stat_core().flush();
  release(core);
  debug_trace("UPS::UPSStop - END\n");
  log_event(event::kMonitoringStopped.code, "%s", event::kMonitoringStopped.format);
}

}  // extern "C"
