#include "tools/upssim/state_text.h"

#include <cstdio>

namespace upssim {
namespace {

const char* on_off(bool on) { return on ? "on" : "off"; }
const char* yes_no(bool yes) { return yes ? "yes" : "no"; }

const char* test_name(TestKind kind) {
  switch (kind) {
    case TestKind::timed:
      return "timed";
    case TestKind::until_low:
      return "until_low";
    default:
      return "none";
  }
}

}  // namespace

std::string format_state(const UpsModel& model, const LineFaults& faults) {
  StatusReading r = model.peek();
  char temperature[16] = "none";
  if (r.temperature_c) {
    std::snprintf(temperature, sizeof temperature, "%.1f", *r.temperature_c);
  }
  char text[512];
  std::snprintf(text, sizeof text,
                "mains=%s input_v=%.1f output_v=%.1f battery_v=%.1f load=%d frequency=%.1f temperature=%s "
                "bits=%s output=%s powered=%s beeper=%s test=%s shutdown_pending=%s silent=%s "
                "echo=%s cr_reply=%s slow_ms=%d ignore=%zu",
                on_off(model.mains_switched_on()), r.input_v, r.output_v, r.battery_v, r.load_percent,
                r.frequency_hz, temperature, format_status_bits(r.bits).c_str(), on_off(model.output_on()),
                yes_no(model.powered()), on_off(model.beeper()), test_name(model.test()),
                yes_no(model.shutdown_active()), yes_no(faults.silence || !model.powered()),
                on_off(faults.echo), on_off(faults.cr_reply), faults.slow_ms, faults.ignore_queries);
  return text;
}

}  // namespace upssim
