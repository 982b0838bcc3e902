// Test helper: a scripted driver library and a host environment held in memory for the
// monitoring loop, writing every call into one journal so that tests can check the order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ups_state.h"
#include "platform/test_side_effects.h"
#include "service/driver_library.h"
#include "service/monitoring_loop.h"

namespace service::testing {

using Journal = std::vector<std::string>;

class ScriptedLibrary : public DriverLibrary {
 public:
  explicit ScriptedLibrary(Journal& journal) : journal_(journal) {}

  bool load() override {
    journal_.push_back("load");
    loaded = load_results.empty() || take(load_results);
    return loaded;
  }
  std::uint32_t load_error() override { return 126; }
  bool bind() override {
    journal_.push_back("bind");
    return bind_result;
  }
  void unload() override {
    journal_.push_back("unload");
    loaded = false;
  }
  std::uint32_t init() override {
    journal_.push_back("init");
    return init_result;
  }
  void stop() override { journal_.push_back("stop"); }
  std::uint32_t get_state() override {
    // The script's last state repeats once it is used up.
    const std::uint32_t state = states.size() > 1 ? take(states) : states.front();
    journal_.push_back("state " + std::to_string(state));
    return state;
  }
  void wait_for_state_change(std::uint32_t state, std::uint32_t limit_ms) override {
    journal_.push_back("wait " + std::to_string(state) + " " + std::to_string(limit_ms));
    if (during_wait) during_wait();
  }
  void cancel_wait() override { journal_.push_back("cancel"); }
  void turn_off(std::uint32_t delay_s) override { journal_.push_back("turn off " + std::to_string(delay_s)); }
  void record_event(std::uint32_t code, const char* text) override {
    journal_.push_back("event " + std::to_string(code) + " " + text);
  }
  void hold_server_session() override { journal_.push_back("hold session"); }
  void end_server_session() override { journal_.push_back("end session"); }
  void let_network_clients_go_first() override { journal_.push_back("clients first"); }

  std::deque<std::uint32_t> states{core::UPS_ONLINE};
  std::deque<bool> load_results;
  bool bind_result = true;
  std::uint32_t init_result = core::UPS_INITOK;
  std::function<void()> during_wait;
  bool loaded = false;

 private:
  template <typename T>
  static T take(std::deque<T>& queue) {
    T value = queue.front();
    queue.pop_front();
    return value;
  }
  Journal& journal_;
};

// The Config key as a map; reads of names that are not there fail.
class MemoryHost : public HostEnvironment {
 public:
  explicit MemoryHost(Journal& journal) : journal_(journal) {}

  bool open_config() override { return config_exists; }
  std::string read_string(const char* name) override {
    auto it = strings.find(name);
    return it == strings.end() ? "" : it->second;
  }
  bool read_dword(const char* name, std::uint32_t& value) override {
    auto it = dwords.find(name);
    if (it == dwords.end()) return false;
    value = it->second;
    return true;
  }
  void report_running() override { journal_.push_back("running"); }
  void report_stopped(std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) override {
    journal_.push_back("stopped " + std::to_string(win32_exit_code) + " " + std::to_string(specific_exit_code));
  }
  void report_event_without_library(int code, const std::string& message) override {
    journal_.push_back("reported " + std::to_string(code) + " " + message);
  }
  void set_power_action_test_mode(bool on) override {
    journal_.push_back(on ? "test mode on" : "test mode off");
    if (on_test_mode) on_test_mode(on);
  }
  void enable_shutdown_privilege() override { journal_.push_back("privilege"); }

  bool config_exists = true;
  std::map<std::string, std::string> strings{{"Model", "Varnelo 600"}, {"Vendor", "Orvik"}};
  std::map<std::string, std::uint32_t> dwords{{"CriticalPowerAction", 0},    {"TurnUPSOffEnable", 1},
                                              {"TurnUPSOffWait", 120},       {"ShutdownOnBatteryEnable", 1},
                                              {"ShutdownOnBatteryWait", 2}};
  std::function<void(bool)> on_test_mode;

 private:
  Journal& journal_;
};

// The side-effect double, journaling the power requests among the library's calls.
class JournaledSideEffects : public platform::RecordingSideEffects {
 public:
  explicit JournaledSideEffects(Journal& journal) : journal_(journal) {}
  bool exit_windows(std::uint32_t flags, std::uint32_t reason) override {
    char line[64];
    std::snprintf(line, sizeof line, "exit windows 0x%X 0x%08X", static_cast<unsigned>(flags),
                  static_cast<unsigned>(reason));
    journal_.push_back(line);
    return RecordingSideEffects::exit_windows(flags, reason);
  }
  bool set_power_state(bool hibernate, bool force) override {
    journal_.push_back(std::string("power state ") + (hibernate ? "hibernate" : "standby") + (force ? " forced" : ""));
    return RecordingSideEffects::set_power_state(hibernate, force);
  }

 private:
  Journal& journal_;
};

}  // namespace service::testing
