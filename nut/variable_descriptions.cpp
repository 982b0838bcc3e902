#include "nut/variable_descriptions.h"

#include "nut/text_compare.h"

namespace nut {
namespace {

struct Description {
  std::string_view name;
  std::string_view text;
};

constexpr Description kDescriptions[] = {
    {"battery.charge", "Battery charge (percent of full)"},
    {"battery.charge.low", "Remaining battery level when UPS switches to LB (percent)"},
    {"battery.runtime", "Battery runtime (seconds)"},
    {"battery.voltage", "Battery voltage (V)"},
    {"driver.name", "Driver name"},
    {"driver.version", "Driver version - NUT release"},
    {"input.frequency", "Input line frequency (Hz)"},
    {"input.voltage", "Input voltage (V)"},
    {"output.voltage", "Output voltage (V)"},
    {"ups.alarm", "UPS alarms"},
    {"ups.beeper.status", "UPS beeper status"},
    {"ups.delay.shutdown", "Interval to wait after shutdown with delay command (seconds)"},
    {"ups.delay.start", "Interval to wait before (re)starting the load (seconds)"},
    {"ups.load", "Load on UPS (percent of full)"},
    {"ups.mfr", "UPS manufacturer"},
    {"ups.model", "UPS model"},
    {"ups.power.nominal", "UPS power rating (VA)"},
    {"ups.status", "UPS status"},
    {"ups.temperature", "UPS temperature (degrees C)"},
    {"ups.type", "UPS type"},
};

}  // namespace

std::string_view variable_description(std::string_view name) {
  for (const Description& description : kDescriptions) {
    if (equal_ignoring_case(description.name, name)) return description.text;
  }
  return "Description unavailable";
}

}  // namespace nut
