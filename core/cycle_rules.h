// The decisions of one polling cycle, apart from the thread that acts on them: the state a
// record means, the masking of voltage regulation during a battery test, the AVR events, the
// capacity and voltage thresholds that turn a long failure into "battery low", and the line that
// notes a low battery while mains is present. Pure functions and one small edge detector.
#pragma once

#include <cstdint>

#include "core/core_settings.h"
#include "core/event_texts.h"

namespace core {

// The state of a cycle: no answer → UPS_NOCOMM; mains present → UPS_ONLINE, whatever the
// battery-low bit says (the UPS is recharging: nothing runs out); on battery → UPS_LOWBATTERY
// with the battery-low bit, else UPS_ONBATTERY. `forced_critical` (the NUT server of a UPS
// followed over the network ordered every computer down) makes an answered cycle UPS_LOWBATTERY
// whatever the bits say, mains or not.
std::uint32_t derive_state(bool link_lost, std::uint32_t status_bits, bool forced_critical = false);

// A battery test makes the UPS regulate; that is neither logged nor counted.
std::uint32_t mask_regulation_during_test(std::uint32_t status_bits);

// Event code for a change of the AVR bit: 19 when it came on, 20 when it went off, 0 for none.
int avr_event_code(std::uint32_t status_bits, bool avr_before);

struct CycleInputs {
  bool link_up = false;
  std::uint32_t status_bits = 0;        // this cycle's record
  std::uint32_t previous_state = 0;     // the state the previous cycle derived
  bool capacity_valid = false;          // as published in the previous cycle
  float capacity = 0;                   // percent, as published in the previous cycle
  float battery_voltage = 0;            // volts, as published in the previous cycle
  bool forced_critical = false;         // a NUT server's FSD
};

struct ThresholdOutcome {
  std::uint32_t status_bits = 0;  // with STATUS_BATTERY_LOW forced when a threshold fired
  std::uint32_t reason = 0;       // kReasonNone, kReasonCapacity or kReasonVoltage
};

// Checks the thresholds only on an answered cycle after an on-battery cycle without the UPS's own
// battery-low bit; logs each one that fires. When both fire the voltage is the reason.
ThresholdOutcome evaluate_thresholds(const CoreSettings& settings, const CycleInputs& in);

struct CycleDecision {
  std::uint32_t status_bits = 0;  // as published: with a threshold's battery-low bit
  std::uint32_t reason = 0;
  std::uint32_t state = 0;
};

// The thresholds, then the state that the cycle's bits mean.
CycleDecision decide_cycle(const CoreSettings& settings, const CycleInputs& in);

// Notes the UPS's battery-low bit while mains is present, once per episode: the battery recharges
// after an outage or after a deep battery test. Fed with the bits of each answered cycle as the
// UPS sent them (no threshold in them); an episode ends with a cycle without the bit or on battery.
class LowBatteryOnMains {
 public:
  // The line to write for this cycle: kLowBatteryOnMains when an episode begins,
  // kTestEndedBatteryLow when it begins as a battery test ends; null for none.
  const event::Text* on_answer(std::uint32_t status_bits);

 private:
  bool in_episode_ = false;
  bool testing_ = false;
};

}  // namespace core
