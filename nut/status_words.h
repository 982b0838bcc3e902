// What NUT's Q1 driver (nutdrv_qx, megatec protocol) reports for a status line's bits, so that a
// client sees the same ups.status words from this server as from NUT reading the same UPS.
//
//   bit 7 utility fail   OB, else OL
//   bit 6 battery low    LB
//   bit 5 AVR            by output against input voltage: below 0.95 × input TRIM, below 1.05 BYPASS,
//                        below 1.5 BOOST; below 0.5 or from 1.5 on no word (the driver finds such a
//                        reading implausible)
//   bit 4 UPS fault      alarm "UPS selftest failed!"
//   bit 3 line-interact. ups.type "offline / line interactive", else "online"
//   bit 2 test           CAL
//   bit 1 shutdown active  FSD, and alarm "Shutdown imminent!"
//   bit 0 beeper         ups.beeper.status "enabled", else "disabled"
// The words come in the driver's order (OL/OB, LB, TRIM/BYPASS/BOOST, CAL, FSD), led by ALARM when an
// alarm is set; several alarms are joined by a blank. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nut {

struct StatusWords {
  std::string status;  // ups.status
  std::string alarm;   // ups.alarm; empty when there is none
};

StatusWords nut_status_words(std::uint32_t status_bits, float input_voltage, float output_voltage);

std::string_view nut_ups_type(std::uint32_t status_bits);
std::string_view nut_beeper_status(std::uint32_t status_bits);

}  // namespace nut
