#include "core/library_hooks_win.h"

#include <atomic>

#include "core/event_texts.h"
#include "core/power_policy.h"
#include "ipc/pipe_rights.h"
#include "core/registry_config_store_win.h"
#include "core/ups_operations.h"
#include "link/command_sender.h"
#include "link/ups_status.h"
#include "platform/debug_trace.h"
#include "platform/privilege_win.h"
#include "platform/registry_win.h"
#include "stats/log_event.h"

namespace core {
namespace {

// A Config store that owns the key it reads through, for the moment of one decision.
class OwnedConfigStore final : public ConfigStore {
 public:
  explicit OwnedConfigStore(platform::UniqueKey key) : key_(std::move(key)), store_(key_.get()) {}
  bool read_dword(const char* n, std::uint32_t& v) override { return store_.read_dword(n, v); }
  bool read_string(const char* n, char* b, std::size_t s) override { return store_.read_string(n, b, s); }
  bool write_dword(const char* n, std::uint32_t v) override { return store_.write_dword(n, v); }
  bool write_string(const char* n, const char* v) override { return store_.write_string(n, v); }
  bool delete_value(const char* n) override { return store_.delete_value(n); }

 private:
  platform::UniqueKey key_;
  RegistryConfigStore store_;
};

// The service is the only writer of the block's switches; the tray asks for them over the pipe.
void store_switch(ipc::UpsSharedBlock* block, std::uint32_t ipc::UpsSharedBlock::*field, bool on) {
  if (block) std::atomic_ref<std::uint32_t>(block->*field).store(on ? 1 : 0);
}

struct PowerActionStart {
  LibraryCore* core;
  std::uint32_t action;
};

DWORD WINAPI power_action_thread(void* parameter) {
  // The start record is this thread's own copy: the request it came from may already be reused.
  PowerActionStart start = *static_cast<PowerActionStart*>(parameter);
  delete static_cast<PowerActionStart*>(parameter);
  LibraryHooks hooks(*start.core);
  run_power_action(start.core->monitor, hooks, start.action);
  return 0;
}

}  // namespace

void LibraryHooks::wait_state_change(std::uint32_t timeout_ms) {
  WaitForSingleObject(core_.state_change.get(), timeout_ms);
}

void LibraryHooks::sleep(std::uint32_t ms) { Sleep(ms); }

std::uint32_t LibraryHooks::shutdown_reason() {
  return core_.block() ? core_.publisher.published().shutdown_reason : 0;
}

bool LibraryHooks::action_blocked() {
  const ipc::UpsSharedBlock* block = core_.block();
  return block && block->action_blocked != 0;
}

bool LibraryHooks::turn_off_blocked() {
  const ipc::UpsSharedBlock* block = core_.block();
  return block && block->turn_off_blocked != 0;
}

float LibraryHooks::capacity() {
  return core_.block() ? core_.publisher.published().capacity : 0.0f;
}

float LibraryHooks::battery_voltage() {
  return core_.block() ? core_.publisher.published().status.battery_voltage : 0.0f;
}

void LibraryHooks::log_event(int code, const char* text) { ::log_event(code, "%s", text); }

void LibraryHooks::flush_statistics() { stats::process_stat_core().flush(); }

std::unique_ptr<ConfigStore> LibraryHooks::open_config() {
  platform::UniqueKey key = platform::open_key(platform::kConfigKeyPath);
  if (!key) return nullptr;
  return std::make_unique<OwnedConfigStore>(std::move(key));
}

void LibraryHooks::enable_shutdown_privilege() { platform::enable_privilege("SeShutdownPrivilege"); }

void LibraryHooks::replace_settings(const CoreSettings& settings) { core_.monitor.settings = settings; }

void LibraryHooks::reload_statistics_config() { stats::process_stat_core().load_config(); }

bool LibraryHooks::ups_link_up() { return !core_.monitor.link_lost; }

void LibraryHooks::send_ups_command(const char* command) { ups_link::send_command(core_.link(), command); }

void LibraryHooks::set_action_blocked(bool on) {
  store_switch(core_.block(), &ipc::UpsSharedBlock::action_blocked, on);
}

void LibraryHooks::set_turn_off_blocked(bool on) {
  store_switch(core_.block(), &ipc::UpsSharedBlock::turn_off_blocked, on);
}

void LibraryHooks::request_refused(const std::string& account, std::uint32_t cmd, std::uint32_t missing) {
  const std::string rights = ipc::rights_text(missing);
  debug_trace("UPS::request cmd:%u from %s refused: lacks %u\n", static_cast<unsigned>(cmd), account.c_str(),
              static_cast<unsigned>(missing));
  ::log_event(event::kPipeRequestRefused.code, event::kPipeRequestRefused.format, account.c_str(),
              static_cast<unsigned>(cmd), rights.c_str());
}

void LibraryHooks::pipe_unavailable(std::uint32_t error) {
  debug_trace("UPS::IPC unavailable: %u; monitoring goes on, tried again every cycle\n", static_cast<unsigned>(error));
  ::log_event(event::kPipeUnavailable.code, event::kPipeUnavailable.format, static_cast<unsigned>(error));
}

void LibraryHooks::send_configured_turn_off() {
  const ipc::UpsSharedBlock* block = core_.block();
  if (!block) return;
  const std::uint32_t delay = core_.sharing.turn_off_delay_seconds();
  ::log_event(event::kTurnOffByHost.code, event::kTurnOffByHost.format, static_cast<int>(delay));
  send_turn_off(core_.monitor, core_.link(),
                {delay, block->turn_off_blocked, core_.vendor, core_.publisher.published().status.status_bits});
}

// The UPS's beeper follows the settings in every cycle; the wish becomes the opposite of what it reports.
void LibraryHooks::want_beeper_toggled() {
  const bool beeping = (core_.publisher.published().status.status_bits & ups_link::STATUS_BEEPER_ON) != 0;
  core_.monitor.settings.signal_enable = beeping ? 0 : 1;
  if (!beeping) core_.monitor.settings.signal_time_enable = 0;
}

void LibraryHooks::start_power_action(std::uint32_t action_code) {
  auto* start = new PowerActionStart{&core_, action_code};
  HANDLE thread = CreateThread(nullptr, 0, power_action_thread, start, 0, nullptr);
  if (!thread) {
    debug_trace("UPS::power action thread error: %u\n", static_cast<unsigned>(GetLastError()));
    delete start;
    return;
  }
  CloseHandle(thread);
}

}  // namespace core
