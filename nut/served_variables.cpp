#include "nut/served_variables.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "link/status_line.h"
#include "link/turn_off_command.h"
#include "nut/number_text.h"
#include "nut/status_words.h"

namespace nut {
namespace {

constexpr float kSecondsPerMinute = 60.0f;

std::string_view block_text(const char* field, std::size_t size) {
  return std::string_view(field, strnlen(field, size));
}

class VariableList {
 public:
  void add(std::string name, std::string value) { variables_.push_back({std::move(name), std::move(value)}); }
  void add_fixed(std::string name, double value, int decimals) { add(std::move(name), fixed_text(value, decimals)); }
  void add_whole(std::string name, std::uint64_t value) { add(std::move(name), std::to_string(value)); }

  std::vector<NutVariable> sorted() && {
    std::sort(variables_.begin(), variables_.end(),
              [](const NutVariable& a, const NutVariable& b) { return a.name < b.name; });
    return std::move(variables_);
  }

 private:
  std::vector<NutVariable> variables_;
};

// Whole percent, truncated; a capacity that is no number (a garbled line) reads 0.
std::uint64_t whole_percent(float capacity) {
  if (!(capacity > 0.0f)) return 0;
  return static_cast<std::uint64_t>(std::min(capacity, 100.0f));
}

void add_measurements(VariableList& list, const ipc::UpsSharedBlock& block) {
  const ups_link::UpsStatus& status = block.status;
  list.add_fixed("battery.voltage", status.battery_voltage, 2);
  list.add_fixed("input.voltage", status.input_voltage, 1);
  list.add_fixed("input.voltage.fault", status.input_fault_voltage, 1);
  list.add_fixed("input.frequency", status.frequency, 1);
  list.add_fixed("output.voltage", status.output_voltage, 1);
  list.add("ups.load", std::to_string(status.load_percent));
  if (ups_link::status_line_has_temperature(block_text(block.raw_line, sizeof block.raw_line))) {
    list.add_fixed("ups.temperature", status.temperature, 1);
  }
}

void add_status(VariableList& list, const ups_link::UpsStatus& status) {
  StatusWords words = nut_status_words(status.status_bits, status.input_voltage, status.output_voltage);
  list.add("ups.status", std::move(words.status));
  if (!words.alarm.empty()) list.add("ups.alarm", std::move(words.alarm));
  list.add("ups.type", std::string(nut_ups_type(status.status_bits)));
  list.add("ups.beeper.status", std::string(nut_beeper_status(status.status_bits)));
}

// The capacity and runtime of the block exist only for a valid model.
void add_model_values(VariableList& list, const ipc::UpsSharedBlock& block, const ServedSettings& settings) {
  if (!settings.model_valid || block.capacity_valid == 0) return;
  list.add_whole("battery.charge", whole_percent(block.capacity));
  if (block.runtime > 0) list.add_fixed("battery.runtime", block.runtime * kSecondsPerMinute, 0);
  list.add_fixed("battery.voltage.high", settings.model_u_max, 2);
  list.add_fixed("battery.voltage.low", settings.model_u_min, 2);
  list.add_fixed("ups.power.nominal", settings.model_va, 0);
}

void add_settings(VariableList& list, const ServedSettings& settings) {
  if (settings.capacity_threshold_enabled) list.add_whole("battery.charge.low", settings.capacity_threshold_percent);
  const std::uint32_t delay = std::clamp(settings.turn_off_delay_seconds, ups_link::kTurnOffMinDelaySeconds,
                                         ups_link::kTurnOffMaxDelaySeconds);
  list.add_whole("ups.delay.shutdown", delay);
  const std::uint64_t restore_seconds =
      settings.restore_enabled ? std::max<std::uint64_t>(settings.restore_minutes, 1) * 60 : 0;
  list.add_whole("ups.delay.start", restore_seconds);
}

void add_identity(VariableList& list, const ServedSettings& settings) {
  list.add("device.mfr", settings.vendor);
  list.add("device.model", settings.model);
  list.add("device.type", "ups");
  list.add("driver.name", settings.driver_name);
  list.add("driver.version", settings.driver_version);
  list.add("ups.mfr", settings.vendor);
  list.add("ups.model", settings.model);
}

}  // namespace

VariableSnapshot served_variables(const ipc::UpsSharedBlock& block, const ServedSettings& settings) {
  VariableList list;
  add_measurements(list, block);
  add_status(list, block.status);
  add_model_values(list, block, settings);
  add_settings(list, settings);
  add_identity(list, settings);
  VariableSnapshot snapshot;
  snapshot.stale = block.link_ok == 0;
  snapshot.variables = std::move(list).sorted();
  return snapshot;
}

std::string ups_description(const std::string& vendor, const std::string& model, const std::string& port) {
  return vendor + " " + model + " (" + port + ")";
}

}  // namespace nut
