#include "core/query_thread_win.h"

#include <memory>
#include <optional>
#include <string>

#include "core/client_orders.h"
#include "core/cycle_rules.h"
#include "core/event_log.h"
#include "core/event_texts.h"
#include "core/library_hooks_win.h"
#include "core/ups_operations.h"
#include "core/ups_state.h"
#include "ipc/cycle_publication.h"
#include "link/status_reading.h"
#include "link/usb_polling_link.h"
#include "platform/debug_trace.h"
#include "platform/side_effects.h"
#include "stats/log_event.h"

namespace core {
namespace {

using ups_link::StatusReading;
using ups_link::UpsStatus;

// One serial cycle's exchange: the query, the fixed 1000 ms wait, the queue.
StatusReading serial_exchange(LibraryCore& core) {
  std::optional<std::string> reply = core.serial.status_exchange(core.monitor.query_command);
  return reply ? ups_link::read_status(*reply) : StatusReading{};
}

class QueryLoop {
 public:
  QueryLoop(LibraryCore& core, const UpsStatus& first_record)
      : core_(core), hooks_(core), record_(first_record) {
    if (core.transport == TransportKind::usb)
      usb_ = std::make_unique<ups_link::UsbPollingLink>(core.usb, core.monitor.query_command, core.vendor);
  }

  void run() {
    while (core_.monitor.running) cycle();
    debug_trace(usb_ ? " UPS::Thread query UPS_USB - closed\n"
                     : served() ? " UPS::Thread query UPS_NUT - closed\n" : " UPS::Thread query UPS - closed\n");
  }

 private:
  MonitorCore& monitor() { return core_.monitor; }
  bool served() const { return core_.transport == TransportKind::network; }
  ipc::UpsSharedBlock& block() { return *core_.block(); }
  // The previous cycle's values as this process published them (the block is anyone's to write).
  const ipc::UpsSharedBlock& published() { return core_.publisher.published(); }

  void cycle() {
    service_requests();
    send_queued_turn_off();
    StatusReading reading = exchange();
    if (!monitor().running) return;
    record_.status_bits = mask_regulation_during_test(record_.status_bits);
    const bool link_up = !monitor().link_lost;
    stats::process_stat_core().add_sample(link_up, record_, published().load_va, monitor().policy.suspended);
    if (link_up) record_low_battery_on_mains();
    const CycleDecision decision = decide(link_up);
    record_regulation_change();
    drive_light();
    publish(reading, decision);
    if (link_up) after_answer();
  }

  void service_requests() {
    ipc::take_action_request(block(), hooks_);
    core_.pipe.poll(hooks_);
    serve_network_clients();
  }

  // A permitted client's FSD is this computer's critical point at once, as the UPS's own
  // battery-low bit would be; its instant commands go to the UPS from this thread like the tray's.
  void serve_network_clients() {
    if (std::optional<nut::ServedUps::Requester> client = core_.sharing.take_client_forced_shutdown()) {
      debug_trace("UPS::NUT FSD from %s@%s\n", client->user.c_str(), client->address.c_str());
      log_event(event::kNetworkForcedShutdown.code, event::kNetworkForcedShutdown.format, client->user.c_str(),
                client->address.c_str());
      monitor().forced_by_network = true;
    }
    for (const nut::ServedUps::Order& order : core_.sharing.take_orders()) {
      const bool done = carry_out_order(order.request, hooks_);
      const std::string name(nut::instant_command_name(order.request.command));
      debug_trace("UPS::NUT %s from %s@%s%s\n", name.c_str(), order.requester.user.c_str(),
                  order.requester.address.c_str(), done ? "" : ": not sent, the UPS does not answer");
    }
  }

  // A turn-off queued by a watcher goes out only while the UPS answers; otherwise it is dropped.
  void send_queued_turn_off() {
    if (!monitor().policy.turn_off_pending) return;
    if (!monitor().link_lost)
      send_turn_off(monitor(), core_.link(),
                    {monitor().policy.turn_off_delay, block().turn_off_blocked, core_.vendor, record_.status_bits});
    monitor().policy.turn_off_pending = false;
  }

  StatusReading exchange() {
    monitor().link_lost = true;
    StatusReading reading = usb_ ? usb_->poll() : served() ? network_exchange() : serial_exchange(core_);
    if (reading.answered) {
      record_ = reading.status;
      monitor().link_lost = false;
    }
    return reading;
  }

  // The server's own battery figures and its forced shutdown come along with the record; both are
  // in place before the cycle publishes the state the host wakes to.
  StatusReading network_exchange() {
    nut::NetworkReading reading = core_.network->poll();
    server_battery_ = reading.battery;
    monitor().server_forced_shutdown = reading.forced_shutdown;
    if (reading.login_refused) record_login_refusal(core_, *reading.login_refused);
    return std::move(reading.reading);
  }

  // Before the thresholds: only the UPS's own bit tells of a battery that recharges.
  void record_low_battery_on_mains() {
    if (const event::Text* line = low_battery_on_mains_.on_answer(record_.status_bits))
      write_event(hooks_, *line, static_cast<double>(record_.battery_voltage));
  }

  CycleDecision decide(bool link_up) {
    CycleInputs in;
    in.link_up = link_up;
    in.status_bits = record_.status_bits;
    in.previous_state = monitor().current_state;
    in.capacity_valid = published().capacity_valid != 0;
    in.capacity = published().capacity;
    in.battery_voltage = published().status.battery_voltage;
    in.forced_critical = monitor().server_forced_shutdown;
    CycleDecision decision = decide_cycle(monitor().settings, in);
    record_.status_bits = decision.status_bits;
    return decision;
  }

  void record_regulation_change() {
    int code = avr_event_code(record_.status_bits, monitor().previous_avr_bit);
    if (code == event::kAvrOn.code) log_event(code, "%s", event::kAvrOn.format);
    if (code == event::kAvrOff.code) log_event(code, "%s", event::kAvrOff.format);
    monitor().previous_avr_bit = (record_.status_bits & ups_link::STATUS_AVR) != 0;
  }

  void drive_light() {
    const bool failing = (record_.status_bits & ups_link::STATUS_UTILITY_FAIL) != 0;
    core_.light.run_cycle({monitor().settings.key_led_enable != 0, monitor().settings.key_led_mask, failing,
                           monitor().previous_utility_fail_bit});
    monitor().previous_utility_fail_bit = failing;
  }

  void publish(const StatusReading& reading, const CycleDecision& decision) {
    const std::uint32_t state = monitor().forced_by_network ? UPS_LOWBATTERY : decision.state;
    const std::uint32_t now = process_clock_ms();
    const bool changed = state != monitor().waiter_state;
    if (changed) monitor().last_change_time = now;

    ipc::PollingCycle cycle;
    cycle.status = record_;
    cycle.raw_line = reading.answered ? reading.raw_line.c_str() : nullptr;
    cycle.link_lost = monitor().link_lost;
    cycle.shutdown_reason = decision.reason;
    cycle.time_in_state_ms = static_cast<std::int64_t>(now) - monitor().last_change_time;
    cycle.server_battery = server_battery_;
    core_.publisher.publish_cycle(cycle, monitor().model);
    core_.sharing.publish(published(), monitor().settings);
    // Stored after the block is complete: a host woken by the state finds its shutdown reason there.
    monitor().current_state = state;
    // Pulsed in every cycle until the host waits with the new state: a waiter between two waits
    // misses a pulse, never the change.
    if (changed) PulseEvent(core_.state_change.get());
  }

  void after_answer() {
    if (served())
      shared_beeper_.after_answer(core_.link(), monitor().settings, record_.status_bits);
    else
      reconcile_beeper(core_.link(), monitor().settings, record_.status_bits);
    if (monitor().policy.reset_turn_off_needed) {
      cancel_pending_turn_off(core_.link(), true);
      monitor().policy.reset_turn_off_needed = false;
    }
  }

  LibraryCore& core_;
  LibraryHooks hooks_;
  UpsStatus record_;
  LowBatteryOnMains low_battery_on_mains_;
  std::unique_ptr<ups_link::UsbPollingLink> usb_;
  ups_link::ServerBatteryValues server_battery_;
  SharedBeeper shared_beeper_;
};

struct QueryStart {
  LibraryCore* core;
  UpsStatus first_record;
};

DWORD WINAPI query_thread(void* parameter) {
  std::unique_ptr<QueryStart> start(static_cast<QueryStart*>(parameter));
  QueryLoop loop(*start->core, start->first_record);
  start.reset();
  loop.run();
  return 0;
}

}  // namespace

bool start_query_thread(LibraryCore& core, const UpsStatus& first_record) {
  auto* start = new QueryStart{&core, first_record};
  core.query_thread.reset(CreateThread(nullptr, 0, query_thread, start, 0, nullptr));
  if (core.query_thread) return true;
  delete start;
  return false;
}

void stop_query_thread(LibraryCore& core) {
  core.monitor.running = false;
  if (!core.query_thread) return;
  WaitForSingleObject(core.query_thread.get(), INFINITE);
  core.query_thread.reset();
  core.sharing.refuse_orders();
}

}  // namespace core
