#include "core/cycle_rules.h"

#include "core/ups_state.h"
#include "link/ups_status.h"
#include "platform/debug_trace.h"

namespace core {

using ups_link::STATUS_AVR;
using ups_link::STATUS_BATTERY_LOW;
using ups_link::STATUS_TEST;
using ups_link::STATUS_UTILITY_FAIL;

std::uint32_t derive_state(bool link_lost, std::uint32_t status_bits, bool forced_critical) {
  if (link_lost) return UPS_NOCOMM;
  if (forced_critical) return UPS_LOWBATTERY;
  if (!(status_bits & STATUS_UTILITY_FAIL)) return UPS_ONLINE;
  return (status_bits & STATUS_BATTERY_LOW) ? UPS_LOWBATTERY : UPS_ONBATTERY;
}

std::uint32_t mask_regulation_during_test(std::uint32_t status_bits) {
  return (status_bits & STATUS_TEST) ? (status_bits & ~STATUS_AVR) : status_bits;
}

int avr_event_code(std::uint32_t status_bits, bool avr_before) {
  bool avr_now = (status_bits & STATUS_AVR) != 0;
  if (avr_now && !avr_before) return 19;
  if (!avr_now && avr_before) return 20;
  return 0;
}

namespace {

// Float to int as the log shows it, without undefined behaviour for values out of range.
int truncated(float value) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
  return static_cast<int>(value);
}

}  // namespace

ThresholdOutcome evaluate_thresholds(const CoreSettings& settings, const CycleInputs& in) {
  ThresholdOutcome out{in.status_bits, kReasonNone};
  if (!in.link_up || (in.status_bits & STATUS_BATTERY_LOW) || in.previous_state != UPS_ONBATTERY) return out;

  if (in.capacity_valid && settings.shutdown_on_cap_battery_enable &&
      !(in.capacity > static_cast<float>(settings.shutdown_on_cap_battery_wait))) {
    debug_trace("UPS::ShutdownOnCap: cur:%d%% threshold:%d%%\n", truncated(in.capacity),
                static_cast<int>(settings.shutdown_on_cap_battery_wait));
    out.status_bits |= STATUS_BATTERY_LOW;
    out.reason = kReasonCapacity;
  }
  float tenths = in.battery_voltage * 10.0f;
  if (settings.shutdown_on_u_battery_enable &&
      !(tenths > static_cast<float>(settings.shutdown_on_u_battery_wait))) {
    debug_trace("UPS::ShutdownOnUBat: cur:%d threshold:%d\n", truncated(tenths),
                static_cast<int>(settings.shutdown_on_u_battery_wait));
    out.status_bits |= STATUS_BATTERY_LOW;
    out.reason = kReasonVoltage;
  }
  return out;
}

CycleDecision decide_cycle(const CoreSettings& settings, const CycleInputs& in) {
  const ThresholdOutcome threshold = evaluate_thresholds(settings, in);
  return {threshold.status_bits, threshold.reason,
          derive_state(!in.link_up, threshold.status_bits, in.forced_critical)};
}

const event::Text* LowBatteryOnMains::on_answer(std::uint32_t status_bits) {
  const bool testing = (status_bits & STATUS_TEST) != 0;
  const bool test_ended = testing_ && !testing;
  testing_ = testing;
  // A test may lower the battery as far as the UPS lets it; what counts is how it ends.
  if (testing) return nullptr;
  if (!(status_bits & STATUS_BATTERY_LOW) || (status_bits & STATUS_UTILITY_FAIL)) {
    in_episode_ = false;
    return nullptr;
  }
  const bool begins = !in_episode_;
  in_episode_ = true;
  if (test_ended) return &event::kTestEndedBatteryLow;
  return begins ? &event::kLowBatteryOnMains : nullptr;
}

}  // namespace core
