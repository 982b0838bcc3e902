#include "nut/status_words.h"

#include "link/ups_status.h"

namespace nut {
namespace {

using namespace ups_link;

// The regulation word NUT's driver derives from the two voltages; empty when it rejects them.
std::string_view regulation_word(float input_voltage, float output_voltage) {
  const double in = input_voltage;
  const double out = output_voltage;
  if (out < 0.5 * in) return {};
  if (out < 0.95 * in) return "TRIM";
  if (out < 1.05 * in) return "BYPASS";
  if (out < 1.5 * in) return "BOOST";
  return {};
}

void append_word(std::string& text, std::string_view word) {
  if (word.empty()) return;
  if (!text.empty()) text.push_back(' ');
  text.append(word);
}

}  // namespace

StatusWords nut_status_words(std::uint32_t status_bits, float input_voltage, float output_voltage) {
  StatusWords words;
  if (status_bits & STATUS_UPS_FAULT) append_word(words.alarm, "UPS selftest failed!");
  if (status_bits & STATUS_SHUTDOWN_ACTIVE) append_word(words.alarm, "Shutdown imminent!");

  if (!words.alarm.empty()) append_word(words.status, "ALARM");
  append_word(words.status, (status_bits & STATUS_UTILITY_FAIL) ? "OB" : "OL");
  if (status_bits & STATUS_BATTERY_LOW) append_word(words.status, "LB");
  if (status_bits & STATUS_AVR) append_word(words.status, regulation_word(input_voltage, output_voltage));
  if (status_bits & STATUS_TEST) append_word(words.status, "CAL");
  if (status_bits & STATUS_SHUTDOWN_ACTIVE) append_word(words.status, "FSD");
  return words;
}

std::string_view nut_ups_type(std::uint32_t status_bits) {
  return (status_bits & STATUS_LINE_INTERACTIVE) ? "offline / line interactive" : "online";
}

std::string_view nut_beeper_status(std::uint32_t status_bits) {
  return (status_bits & STATUS_BEEPER_ON) ? "enabled" : "disabled";
}

}  // namespace nut
