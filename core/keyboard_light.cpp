#include "core/keyboard_light.h"

namespace core {

void KeyboardLight::run_cycle(const LightCycle& cycle) {
  if (!cycle.enabled) return;
  if (cycle.utility_fail && !cycle.was_utility_fail) start_blinking(cycle.light_mask);
  if (!cycle.utility_fail && cycle.was_utility_fail) end_blinking();
  if (cycle.utility_fail) blink_step(cycle.light_mask);
}

void KeyboardLight::start_blinking(std::uint32_t light_mask) {
  active_mask_ = light_mask;
  // Unconditionally, so that every failure begins with the light on, whatever phase an earlier
  // blink (perhaps cut short by disabling the light) ended in.
  lit_ = false;
}

void KeyboardLight::blink_step(std::uint32_t light_mask) {
  lit_ = !lit_;
  // The current mask, not the active one: a light chosen during the failure blinks at once.
  set_under_mask(lit_ ? light_mask : 0, light_mask);
}

void KeyboardLight::end_blinking() {
  if (active_mask_ == 0) return;
  if (set_under_mask(0, active_mask_)) active_mask_ = 0;
}

bool KeyboardLight::set_under_mask(std::uint32_t value, std::uint32_t mask) {
  const std::optional<std::uint16_t> flags = indicators_.query();
  if (!flags) return false;
  // The driver's result is not checked: a light that would not change is no reason to stop.
  indicators_.set(static_cast<std::uint16_t>((*flags & ~mask) | (value & mask)));
  return true;
}

}  // namespace core
