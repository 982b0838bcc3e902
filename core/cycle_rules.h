// The decisions of one polling cycle, apart from the thread that acts on them: the state a
// record means, the masking of voltage regulation during a battery test, the AVR events, and the
// capacity and voltage thresholds that turn a long failure into "battery low". Pure functions.
#pragma once

#include <cstdint>

#include "core/core_settings.h"

namespace core {

// The state of a cycle: no answer → UPS_NOCOMM, else battery low, on battery, online.
std::uint32_t derive_state(bool link_lost, std::uint32_t status_bits);

// A battery test makes the UPS regulate; that is neither logged nor counted.
std::uint32_t mask_regulation_during_test(std::uint32_t status_bits);

// Event code for a change of the AVR bit: 19 when it came on, 20 when it went off, 0 for none.
int avr_event_code(std::uint32_t status_bits, bool avr_before);

struct ThresholdInputs {
  bool link_up = false;
  std::uint32_t status_bits = 0;        // this cycle's record
  std::uint32_t previous_state = 0;     // the state the previous cycle derived
  bool capacity_valid = false;          // as published in the previous cycle
  float capacity = 0;                   // percent, as published in the previous cycle
  float battery_voltage = 0;            // volts, as published in the previous cycle
};

struct ThresholdOutcome {
  std::uint32_t status_bits = 0;  // with STATUS_BATTERY_LOW forced when a threshold fired
  std::uint32_t reason = 0;       // kReasonNone, kReasonCapacity or kReasonVoltage
};

// Checks the thresholds only on an answered cycle after an on-battery cycle without the UPS's own
// battery-low bit; logs each one that fires. When both fire the voltage is the reason.
ThresholdOutcome evaluate_thresholds(const CoreSettings& settings, const ThresholdInputs& in);

}  // namespace core
