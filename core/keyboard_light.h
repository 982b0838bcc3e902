// KeyboardLight: blinks one keyboard indicator light (Scroll, Num or Caps Lock) while the UPS runs
// on battery, so that someone at the machine notices even when nobody is logged on.
//
// The polling loop calls run_cycle once per cycle with the utility-fail bit of this cycle and of
// the previous one; it keeps that previous bit itself, whether or not the light is enabled. The
// blinking starts on the rising edge, changes the light once per cycle while the bit is set, and
// switches the light off on the falling edge. Every failure of the device is quiet: a light that
// cannot be read is simply left as it is.
//
// Not thread-safe: the query thread is its only user, and settings change between its cycles.
#pragma once

#include <cstdint>
#include <optional>

namespace core {

// The keyboard's indicator lights as the keyboard class driver exposes them. Flags are the
// driver's indicator bits: Scroll Lock 1, Num Lock 2, Caps Lock 4.
class KeyboardIndicators {
 public:
  virtual ~KeyboardIndicators() = default;
  // The lights now; nothing when they could not be read.
  virtual std::optional<std::uint16_t> query() = 0;
  // True when the driver took the new flags.
  virtual bool set(std::uint16_t flags) = 0;
};

// What the polling loop hands over once per cycle.
struct LightCycle {
  bool enabled = false;             // KeyLedEnable
  std::uint32_t light_mask = 0;     // from KeyLedNum; 0 blinks nothing
  bool utility_fail = false;        // this cycle's bit
  bool was_utility_fail = false;    // the previous cycle's bit
};

class KeyboardLight {
 public:
  // `indicators` stays owned by the caller and must outlive the light.
  explicit KeyboardLight(KeyboardIndicators& indicators) : indicators_(indicators) {}

  // While disabled nothing happens, not even the end of a blink under way: the light keeps its
  // last state.
  void run_cycle(const LightCycle& cycle);

 private:
  void start_blinking(std::uint32_t light_mask);
  void blink_step(std::uint32_t light_mask);
  void end_blinking();
  // Sets the lights of `mask` to those of `value`, others untouched; false when they could not be read.
  bool set_under_mask(std::uint32_t value, std::uint32_t mask);

  KeyboardIndicators& indicators_;
  std::uint32_t active_mask_ = 0;  // the light being blinked; 0 when no blinking is under way
  bool lit_ = false;  // the blink phase: on in the current cycle
};

}  // namespace core
