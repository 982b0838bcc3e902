// The seam of side effects that tests must observe instead of suffering: powering the machine off,
// restarting, hibernating or suspending it, tones from the speaker, the Ctrl key state and the
// clocks. Logic asks side_effects() and never calls the system for these directly; the shipped
// programs use the real calls, tests install a recording double.
//
// Thread-safe: the current implementation is swapped atomically; implementations must be too.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
  int year = 0;
  int month = 0;         // 1..12
  int day = 0;           // 1..31
  int day_of_week = 0;   // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class SideEffects {
 public:
  virtual ~SideEffects() = default;
  // Ends the session or powers the machine off / restarts it (the system's EWX_* flags) with a
  // shutdown reason code. True when the system accepted the request.
  virtual bool exit_windows(std::uint32_t flags, std::uint32_t reason) = 0;
  // Hibernates (or suspends, when `hibernate` is false); returns after the machine woke again.
  virtual bool set_power_state(bool hibernate, bool force) = 0;
  // Whether the machine can power itself off (the soft-off state); false when that is unknown.
  virtual bool soft_off_supported() = 0;
  virtual void beep(std::uint32_t frequency_hz, std::uint32_t duration_ms) = 0;
  virtual bool ctrl_key_down() = 0;
  virtual LocalTime local_time() = 0;
  // Milliseconds since the system started; wraps like the system's 32-bit tick count.
  virtual std::uint32_t tick_count() = 0;
};

// The implementation in force: the real one unless a test installed another.
SideEffects& side_effects();

// Installs `effects` (nullptr restores the real one) and returns the one it replaced.
SideEffects* set_side_effects(SideEffects* effects);

// The real implementation of the build (the system's calls on Windows).
SideEffects& system_side_effects();

}  // namespace platform
