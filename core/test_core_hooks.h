// Test helper: CoreHooks driven by a script of what the other threads do, with a recording
// SideEffects double whose clock the waits and sleeps advance.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/core_hooks.h"
#include "core/monitor_core.h"
#include "core/test_config_store.h"
#include "core/ups_state.h"
#include "platform/test_side_effects.h"

namespace core {

// What the query thread and the tray have done by the time a wait on the event ends.
struct Frame {
  std::uint32_t state;
  std::uint32_t reason = kReasonNone;
  bool blocked = false;
};

class ScriptedCoreHooks : public CoreHooks {
 public:
  explicit ScriptedCoreHooks(MonitorCore& core, std::deque<Frame> frames = {})
      : core_(core), frames_(std::move(frames)) {}

  void wait_state_change(std::uint32_t timeout_ms) override {
    ++waits;
    if (timeout_ms != 0xFFFFFFFFu) effects.advance(timeout_ms);
    if (frames_.empty()) return;  // nothing changes any more: the wait just times out
    const Frame f = frames_.front();
    frames_.pop_front();
    core_.current_state = f.state;
    reason = f.reason;
    blocked = f.blocked;
  }
  void sleep(std::uint32_t ms) override {
    ++sleeps;
    effects.advance(ms);
    if (on_sleep) on_sleep();
  }
  std::uint32_t shutdown_reason() override { return reason; }
  bool action_blocked() override { return blocked; }
  bool turn_off_blocked() override { return turn_off_block; }
  float capacity() override { return 29.6f; }
  float battery_voltage() override { return 10.7f; }
  void log_event(int code, const char* text) override { events.emplace_back(code, text); }
  void flush_statistics() override { ++flushes; }
  std::unique_ptr<ConfigStore> open_config() override {
    if (!config_opens) return nullptr;
    return std::make_unique<ForwardingStore>(config);
  }
  void enable_shutdown_privilege() override { ++privilege_requests; }

  platform::RecordingSideEffects effects;
  FakeConfigStore config;
  bool config_opens = true;
  std::uint32_t reason = kReasonNone;
  bool blocked = false;
  bool turn_off_block = false;
  int waits = 0;
  int sleeps = 0;
  int flushes = 0;
  int privilege_requests = 0;
  std::function<void()> on_sleep;  // what another thread does while this one sleeps
  std::vector<std::pair<int, std::string>> events;

 private:
  // The store handed out for a decision; the test keeps owning the fake behind it.
  class ForwardingStore : public ConfigStore {
   public:
    explicit ForwardingStore(ConfigStore& target) : target_(target) {}
    bool read_dword(const char* n, std::uint32_t& v) override { return target_.read_dword(n, v); }
    bool read_string(const char* n, char* b, std::size_t s) override { return target_.read_string(n, b, s); }
    bool write_dword(const char* n, std::uint32_t v) override { return target_.write_dword(n, v); }
    bool write_string(const char* n, const char* v) override { return target_.write_string(n, v); }
    bool delete_value(const char* n) override { return target_.delete_value(n); }

   private:
    ConfigStore& target_;
  };

  MonitorCore& core_;
  std::deque<Frame> frames_;
};

}  // namespace core
