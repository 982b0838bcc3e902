// Test helper: a monitoring core that records what the pipe commands asked of it, one line each
// ("settings", "reload", "flush", "action 4", "send T05\r", "block action 1", "refused 6 by NAME
// lacking 3"), and a caller of the pipe with the rights a test gives it.
#pragma once

#include <string>
#include <vector>

#include "core/core_settings.h"
#include "ipc/pipe_commands.h"

namespace ipc::testing {

class RecordingCore : public PipeCommandHandler {
 public:
  void replace_settings(const core::CoreSettings& new_settings) override {
    calls.push_back("settings");
    settings = new_settings;
  }
  void reload_statistics_config() override { calls.push_back("reload"); }
  void flush_statistics() override { calls.push_back("flush"); }
  bool ups_link_up() override { return link_up; }
  void send_ups_command(const char* command) override { calls.push_back(std::string("send ") + command); }
  void start_power_action(std::uint32_t action_code) override {
    calls.push_back("action " + std::to_string(action_code));
  }
  void set_action_blocked(bool on) override { calls.push_back(std::string("block action ") + (on ? "1" : "0")); }
  void set_turn_off_blocked(bool on) override {
    calls.push_back(std::string("block turn-off ") + (on ? "1" : "0"));
  }
  void request_refused(const std::string& account, std::uint32_t cmd, std::uint32_t missing) override {
    calls.push_back("refused " + std::to_string(cmd) + " by " + account + " lacking " + std::to_string(missing));
  }
  void pipe_unavailable(std::uint32_t error) override { calls.push_back("pipe unavailable " + std::to_string(error)); }

  bool link_up = true;
  std::vector<std::string> calls;
  core::CoreSettings settings;
};

using Calls = std::vector<std::string>;

class CallerWithRights : public PipeCaller {
 public:
  explicit CallerWithRights(std::uint32_t rights) : rights_(rights) {}
  std::uint32_t held_rights() override {
    ++asked;
    return rights_;
  }
  std::string account() override { return "HOST\\user"; }
  int asked = 0;

 private:
  std::uint32_t rights_;
};

}  // namespace ipc::testing
