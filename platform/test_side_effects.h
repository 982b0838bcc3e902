// Test helper: a SideEffects double that records every request and runs on a manual clock.
// Installed for its lifetime; the real implementation comes back when it ends.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "platform/side_effects.h"

namespace platform {

class RecordingSideEffects : public SideEffects {
 public:
  struct PowerState {
    bool hibernate;
    bool force;
  };

  RecordingSideEffects() : previous_(set_side_effects(this)) {}
  ~RecordingSideEffects() override { set_side_effects(previous_); }
  RecordingSideEffects(const RecordingSideEffects&) = delete;
  RecordingSideEffects& operator=(const RecordingSideEffects&) = delete;

  bool exit_windows(std::uint32_t flags, std::uint32_t reason) override {
    std::lock_guard lock(mutex_);
    exits.emplace_back(flags, reason);
    return exit_result;
  }
  bool set_power_state(bool hibernate, bool force) override {
    std::lock_guard lock(mutex_);
    power_states.push_back({hibernate, force});
    return power_state_result;
  }
  bool soft_off_supported() override { return soft_off; }
  void beep(std::uint32_t frequency_hz, std::uint32_t duration_ms) override {
    std::lock_guard lock(mutex_);
    beeps.emplace_back(frequency_hz, duration_ms);
  }
  bool ctrl_key_down() override { return ctrl_down; }
  LocalTime local_time() override {
    std::lock_guard lock(mutex_);
    return now;
  }
  std::uint32_t tick_count() override {
    std::lock_guard lock(mutex_);
    return tick;
  }
  void advance(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    tick += ms;
  }

  // What was requested.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> exits;
  std::vector<PowerState> power_states;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> beeps;
  // What the double answers.
  bool exit_result = true;
  bool power_state_result = true;
  bool soft_off = true;
  bool ctrl_down = false;
  LocalTime now{2026, 12, 7, 1, 12, 0, 0, 0};
  std::uint32_t tick = 1000;

 private:
  std::mutex mutex_;
  SideEffects* previous_;
};

}  // namespace platform
