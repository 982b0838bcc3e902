// Test helper: a monitoring core that records what the pipe commands asked of it, one line each
// ("settings", "reload", "flush", "action 4", "send T05\r").
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

  bool link_up = true;
  std::vector<std::string> calls;
  core::CoreSettings settings;
};

using Calls = std::vector<std::string>;

}  // namespace ipc::testing
