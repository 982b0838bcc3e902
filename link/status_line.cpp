#include "link/status_line.h"

#include <cstdio>
#include <cstring>

namespace ups_link {
namespace {

constexpr float kTemperatureWhenUnreported = 25.0f;

// The 46 characters from the first "(", or empty when they are not exactly 46.
std::string_view locate_line(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  const std::size_t open = line.find('(');
  if (open == std::string_view::npos || line.size() - open != kStatusLineLength) return {};
  return line.substr(open);
}

std::uint32_t status_bits_from(const char* bit_string) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 8 && bit_string[i] != '\0'; ++i) {
    if (bit_string[i] == '1') bits |= 0x80u >> i;
  }
  return bits;
}

}  // namespace

bool parse_status_line(std::string_view line, UpsStatus& status, std::string_view& raw_line) {
  const std::string_view located = locate_line(line);
  if (located.empty()) return false;

  char text[kStatusLineLength + 1];
  std::memcpy(text, located.data(), kStatusLineLength);
  text[kStatusLineLength] = '\0';

  UpsStatus parsed;
  int load = 0;
  char bit_string[9] = {};
  if (std::sscanf(text, "(%f %f %f %d %f %f %f %8s", &parsed.input_voltage,
                  &parsed.input_fault_voltage, &parsed.output_voltage, &load, &parsed.frequency,
                  &parsed.battery_voltage, &parsed.temperature, bit_string) != 8) {
    if (std::sscanf(text, "(%f %f %f %d %f %f --.- %8s", &parsed.input_voltage,
                    &parsed.input_fault_voltage, &parsed.output_voltage, &load, &parsed.frequency,
                    &parsed.battery_voltage, bit_string) != 7) {
      return false;
    }
    parsed.temperature = kTemperatureWhenUnreported;
  }
  parsed.load_percent = load;
  parsed.status_bits = status_bits_from(bit_string);

  status = parsed;
  raw_line = located;
  return true;
}

}  // namespace ups_link
