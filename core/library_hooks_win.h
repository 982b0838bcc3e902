// The running library's answers to what the core's decisions and the pipe's commands need:
// the state-change event, the shared block, the event file, the statistics, the Config key, the
// UPS link and the power-action threads.
#pragma once

#include "core/client_orders.h"
#include "core/core_hooks.h"
#include "core/library_core_win.h"
#include "ipc/pipe_commands.h"

namespace core {

class LibraryHooks final : public CoreHooks, public ipc::PipeCommandHandler, public OrderHooks {
 public:
  explicit LibraryHooks(LibraryCore& core) : core_(core) {}

  // CoreHooks
  void wait_state_change(std::uint32_t timeout_ms) override;
  void sleep(std::uint32_t ms) override;
  std::uint32_t shutdown_reason() override;
  bool action_blocked() override;
  bool turn_off_blocked() override;
  float capacity() override;
  float battery_voltage() override;
  void log_event(int code, const char* text) override;
  void flush_statistics() override;
  std::unique_ptr<ConfigStore> open_config() override;
  void enable_shutdown_privilege() override;

  // PipeCommandHandler
  void replace_settings(const CoreSettings& settings) override;
  void reload_statistics_config() override;
  bool ups_link_up() override;
  void send_ups_command(const char* command) override;
  void start_power_action(std::uint32_t action_code) override;
  void set_action_blocked(bool on) override;
  void set_turn_off_blocked(bool on) override;
  void request_refused(const std::string& account, std::uint32_t cmd, std::uint32_t missing) override;
  void pipe_unavailable(std::uint32_t error) override;

  // OrderHooks (the link and the flush as for the pipe)
  void send_configured_turn_off() override;
  void want_beeper_toggled() override;

 private:
  LibraryCore& core_;
};

}  // namespace core
