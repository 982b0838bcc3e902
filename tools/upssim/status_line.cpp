#include "tools/upssim/status_line.h"

#include <cmath>
#include <cstdio>

namespace upssim {
namespace {

// Also maps NaN to lo and -0.0 to +0.0, which printf would print with a sign.
double fit(double value, double lo, double hi) {
  if (!(value >= lo)) {
    return lo + 0.0;
  }
  if (value > hi) {
    return hi;
  }
  return value + 0.0;
}

}  // namespace

std::string format_status_bits(std::uint8_t bits) {
  std::string text(8, '0');
  for (int bit = 0; bit < 8; ++bit) {
    if (bits & (1u << bit)) {
      text[7 - bit] = '1';
    }
  }
  return text;
}

std::string format_status_line(const StatusReading& r) {
  char temperature[8] = "--.-";
  if (r.temperature_c) {
    std::snprintf(temperature, sizeof temperature, "%04.1f", fit(*r.temperature_c, -9.9, 99.9));
  }
  int load = r.load_percent < 0 ? 0 : (r.load_percent > 999 ? 999 : r.load_percent);
  char line[64];
  std::snprintf(line, sizeof line, "(%05.1f %05.1f %05.1f %03d %04.1f %04.1f %s %s",
                fit(r.input_v, 0, 999.9), fit(r.input_fault_v, 0, 999.9), fit(r.output_v, 0, 999.9),
                load, fit(r.frequency_hz, 0, 99.9), fit(r.battery_v, 0, 99.9), temperature,
                format_status_bits(r.bits).c_str());
  return line;
}

std::string rating_line(double battery_nominal_v, double frequency_hz) {
  constexpr double kRatedV = 220.0;
  constexpr int kRatedA = 3;  // 600 VA at 220 V
  char line[48];
  std::snprintf(line, sizeof line, "#%05.1f %03d %05.2f %04.1f", kRatedV, kRatedA, fit(battery_nominal_v, 0, 99.99),
                fit(frequency_hz, 0, 99.9));
  return line;
}

std::string information_line() {
  char line[48];
  std::snprintf(line, sizeof line, "#%-15s %-10s %-10s", "ORVIK", "VARNELO600", "1.0");
  return line;
}

}  // namespace upssim
