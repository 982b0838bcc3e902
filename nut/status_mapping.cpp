#include "nut/status_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "nut/number_text.h"
#include "nut/quoted_words.h"

namespace nut {
namespace {

using namespace ups_link;

constexpr float kTemperatureWhenUnreported = 25.0f;
constexpr std::string_view kFaultAlarm = "UPS selftest failed!";

const std::string* find(const ServerVariables& variables, const char* name) {
  const auto found = variables.find(name);
  return found == variables.end() ? nullptr : &found->second;
}

std::optional<double> number(const ServerVariables& variables, const char* name) {
  const std::string* text = find(variables, name);
  if (text == nullptr) return std::nullopt;
  return read_number(*text);
}

// Numbers outside what a float holds are no reading at all.
std::optional<float> reading(const ServerVariables& variables, const char* name) {
  const std::optional<double> value = number(variables, name);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

float reading_or(const ServerVariables& variables, const char* name, float fallback) {
  return reading(variables, name).value_or(fallback);
}

struct StatusFlags {
  bool on_battery = false;
  bool battery_low = false;
  bool regulating = false;
  bool replace_battery = false;
  bool calibrating = false;
  bool forced_shutdown = false;
};

StatusFlags read_status_words(const std::string& status) {
  StatusFlags flags;
  for (const std::string& word : split_words(status)) {
    if (word == "OB") flags.on_battery = true;
    else if (word == "LB") flags.battery_low = true;
    else if (word == "BOOST" || word == "TRIM" || word == "BYPASS") flags.regulating = true;
    else if (word == "RB") flags.replace_battery = true;
    else if (word == "CAL") flags.calibrating = true;
    else if (word == "FSD") flags.forced_shutdown = true;
  }
  return flags;
}

std::uint32_t status_bits(const StatusFlags& flags, const ServerVariables& variables) {
  std::uint32_t bits = 0;
  if (flags.on_battery) bits |= STATUS_UTILITY_FAIL;
  if (flags.on_battery && flags.battery_low) bits |= STATUS_BATTERY_LOW;
  if (flags.regulating) bits |= STATUS_AVR;
  const std::string* alarm = find(variables, "ups.alarm");
  if (flags.replace_battery || (alarm != nullptr && alarm->find(kFaultAlarm) != std::string::npos)) {
    bits |= STATUS_UPS_FAULT;
  }
  const std::string* type = find(variables, "ups.type");
  if (type != nullptr && type->find("line interactive") != std::string::npos) bits |= STATUS_LINE_INTERACTIVE;
  if (flags.calibrating) bits |= STATUS_TEST;
  const std::string* beeper = find(variables, "ups.beeper.status");
  if (beeper != nullptr && *beeper == "enabled") bits |= STATUS_BEEPER_ON;
  return bits;
}

std::int32_t load_percent(const ServerVariables& variables) {
  const std::optional<double> load = number(variables, "ups.load");
  if (!load) return 0;
  const double limit = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::lround(std::clamp(*load, -limit, limit)));
}

UpsStatus measurements(const ServerVariables& variables) {
  UpsStatus status;
  status.input_voltage = reading_or(variables, "input.voltage", 0.0f);
  status.input_fault_voltage = reading_or(variables, "input.voltage.fault", status.input_voltage);
  status.output_voltage = reading_or(variables, "output.voltage", 0.0f);
  status.frequency = reading_or(variables, "input.frequency", reading_or(variables, "output.frequency", 0.0f));
  status.battery_voltage = reading_or(variables, "battery.voltage", 0.0f);
  status.temperature = reading_or(variables, "ups.temperature", kTemperatureWhenUnreported);
  status.load_percent = load_percent(variables);
  return status;
}

}  // namespace

MappedStatus map_server_variables(const ServerVariables& variables) {
  MappedStatus mapped;
  const std::string* status_text = find(variables, "ups.status");
  if (status_text == nullptr) return mapped;

  const StatusFlags flags = read_status_words(*status_text);
  mapped.usable = true;
  mapped.status = measurements(variables);
  mapped.status.status_bits = status_bits(flags, variables);
  mapped.forced_shutdown = flags.forced_shutdown;
  mapped.critical = flags.forced_shutdown || (flags.on_battery && flags.battery_low);

  if (const std::optional<float> charge = reading(variables, "battery.charge")) {
    mapped.capacity_percent = std::clamp(*charge, 0.0f, 100.0f);
  }
  if (const std::optional<float> runtime = reading(variables, "battery.runtime"); runtime && *runtime >= 0) {
    mapped.runtime_minutes = *runtime / 60.0f;
  }
  return mapped;
}

}  // namespace nut
