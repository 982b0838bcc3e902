// The UPS's answer lines: the status line (answer to Q1 and QS), the information line (answer to
// I) and the rating line (answer to F). All are returned without their final CR.
//
// Status line, 46 characters, fields separated by single blanks:
//
//   (MMM.M NNN.N PPP.P QQQ RR.R SS.S TT.T b7b6b5b4b3b2b1b0
//   0         1         2         3         4
//   0123456789012345678901234567890123456789012345
//   (230.0 230.0 229.0 012 50.0 13.6 25.0 00001001
//
//   MMM.M input V, NNN.N input fault V, PPP.P output V, QQQ load %, RR.R frequency Hz,
//   SS.S battery V, TT.T temperature C ("--.-" when the UPS has no sensor), then 8 status bits,
//   bit 7 first.
//
// Every value is clamped to what its field can hold, so the line is 46 characters whatever the
// model says: a client that checks the length never sees a line widened by a wild value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace upssim {

namespace status_bit {
constexpr std::uint8_t kUtilityFail = 1u << 7;
constexpr std::uint8_t kBatteryLow = 1u << 6;
constexpr std::uint8_t kAvr = 1u << 5;
constexpr std::uint8_t kUpsFault = 1u << 4;
constexpr std::uint8_t kLineInteractive = 1u << 3;
constexpr std::uint8_t kTest = 1u << 2;
constexpr std::uint8_t kShutdownActive = 1u << 1;
constexpr std::uint8_t kBeeperOn = 1u << 0;
}  // namespace status_bit

constexpr std::size_t kStatusLineLength = 46;

struct StatusReading {
  double input_v = 0;
  double input_fault_v = 0;
  double output_v = 0;
  int load_percent = 0;
  double frequency_hz = 0;
  double battery_v = 0;
  std::optional<double> temperature_c;  // empty: no sensor
  std::uint8_t bits = 0;
};

std::string format_status_line(const StatusReading& reading);

// "00001001" for bits 0x09: bit 7 first.
std::string format_status_bits(std::uint8_t bits);

// "#" + company (15) + " " + model (10) + " " + firmware version (10).
std::string information_line();

// "#220.0 003 12.00 50.0": rated output voltage, rated current (A), nominal battery voltage and
// rated frequency. Clients of this protocol family read it to learn the battery's nominal voltage.
std::string rating_line(double battery_nominal_v, double frequency_hz);

}  // namespace upssim
