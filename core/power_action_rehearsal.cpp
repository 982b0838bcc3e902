#include "core/power_action_rehearsal.h"

#include <atomic>
#include <cstdio>

#include "core/event_texts.h"
#include "platform/debug_trace.h"
#include "platform/side_effects.h"

namespace core {
namespace {

// The system's EWX_* bits that name the action.
constexpr std::uint32_t kExitShutdown = 0x1;
constexpr std::uint32_t kExitReboot = 0x2;
constexpr std::uint32_t kExitPowerOff = 0x8;
// Flags reported for a rehearsed power-state change: hibernation 0x1, forced 0x2.
constexpr std::uint32_t kStateHibernate = 0x1;
constexpr std::uint32_t kStateForce = 0x2;

const char* exit_action_name(std::uint32_t flags) {
  if (flags & kExitReboot) return "перезагрузка";
  if (flags & kExitPowerOff) return "выключение с отключением питания";
  if (flags & kExitShutdown) return "выключение";
  return "завершение сеанса";
}

class Rehearsal final : public platform::SideEffects {
 public:
  void set_writer(RehearsalEventWriter writer) { writer_.store(writer); }

  bool exit_windows(std::uint32_t flags, std::uint32_t reason) override {
    debug_trace("UPS::test mode: ExitWindowsEx(0x%X, 0x%08X) not called\n", static_cast<unsigned>(flags),
                static_cast<unsigned>(reason));
    record(exit_action_name(flags), flags, reason);
    return true;
  }
  bool set_power_state(bool hibernate, bool force) override {
    debug_trace("UPS::test mode: SetSystemPowerState(%s, force %d) not called\n",
                hibernate ? "hibernate" : "standby", force ? 1 : 0);
    std::uint32_t flags = (hibernate ? kStateHibernate : 0) | (force ? kStateForce : 0);
    record(hibernate ? "спящий режим" : "ждущий режим", flags, 0);
    return true;  // as if the machine had woken again at once
  }
  bool soft_off_supported() override { return real().soft_off_supported(); }
  void beep(std::uint32_t frequency_hz, std::uint32_t duration_ms) override {
    real().beep(frequency_hz, duration_ms);
  }
  bool ctrl_key_down() override { return real().ctrl_key_down(); }
  platform::LocalTime local_time() override { return real().local_time(); }
  std::uint32_t tick_count() override { return real().tick_count(); }

 private:
  static platform::SideEffects& real() { return platform::system_side_effects(); }

  void record(const char* action, std::uint32_t flags, std::uint32_t reason) {
    RehearsalEventWriter writer = writer_.load();
    if (!writer) return;
    char line[256];
    std::snprintf(line, sizeof line, event::kPowerActionRehearsed.format, action, static_cast<unsigned>(flags),
                  static_cast<unsigned>(reason));
    writer(event::kPowerActionRehearsed.code, line);
  }

  std::atomic<RehearsalEventWriter> writer_{nullptr};
};

Rehearsal& rehearsal() {
  static Rehearsal instance;
  return instance;
}

}  // namespace

void set_power_action_test_mode(bool on, RehearsalEventWriter writer) {
  Rehearsal& instance = rehearsal();
  if (on) {
    instance.set_writer(writer);
    if (&platform::side_effects() != &instance) platform::set_side_effects(&instance);
    debug_trace("UPS::power actions in test mode\n");
    return;
  }
  if (&platform::side_effects() == &instance) platform::set_side_effects(nullptr);
}

}  // namespace core
