#include "core/library_hooks_win.h"

#include "core/power_policy.h"
#include "core/registry_config_store_win.h"
#include "link/command_sender.h"
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
