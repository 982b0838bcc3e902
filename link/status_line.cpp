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

struct LineFields {
  UpsStatus status;
  int load = 0;
  char bit_string[9] = {};
};

// The 46 characters from "(", terminated for sscanf.
struct LineText {
  explicit LineText(std::string_view located) {
    std::memcpy(text, located.data(), kStatusLineLength);
    text[kStatusLineLength] = '\0';
  }
  char text[kStatusLineLength + 1];
};

bool read_with_temperature(const LineText& line, LineFields& f) {
  return std::sscanf(line.text, "(%f %f %f %d %f %f %f %8s", &f.status.input_voltage,
                     &f.status.input_fault_voltage, &f.status.output_voltage, &f.load, &f.status.frequency,
                     &f.status.battery_voltage, &f.status.temperature, f.bit_string) == 8;
}

bool read_without_temperature(const LineText& line, LineFields& f) {
  return std::sscanf(line.text, "(%f %f %f %d %f %f --.- %8s", &f.status.input_voltage,
                     &f.status.input_fault_voltage, &f.status.output_voltage, &f.load, &f.status.frequency,
                     &f.status.battery_voltage, f.bit_string) == 7;
}

}  // namespace

bool status_line_has_temperature(std::string_view raw_line) {
  const std::string_view located = locate_line(raw_line);
  if (located.empty()) return false;
  LineFields fields;
  return read_with_temperature(LineText(located), fields);
}

bool parse_status_line(std::string_view line, UpsStatus& status, std::string_view& raw_line) {
  const std::string_view located = locate_line(line);
  if (located.empty()) return false;

  const LineText text(located);
  LineFields fields;
  if (!read_with_temperature(text, fields)) {
    fields = LineFields{};
    if (!read_without_temperature(text, fields)) return false;
    fields.status.temperature = kTemperatureWhenUnreported;
  }
  fields.status.load_percent = fields.load;
  fields.status.status_bits = status_bits_from(fields.bit_string);

  status = fields.status;
  raw_line = located;
  return true;
}

}  // namespace ups_link
