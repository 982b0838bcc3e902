#include "stats/sample_totals.h"

#include "link/ups_status.h"

namespace stats {

void count_sample(StatSummary& day, PreviousFlags& previous, double dt, bool link_up,
                  std::uint32_t status_bits, float load_va) {
  day.monitored_seconds += dt;
  if (!link_up) return;

  const bool on_battery = (status_bits & ups_link::STATUS_UTILITY_FAIL) != 0;
  if (on_battery) {
    day.on_battery_seconds += dt;
    if (!previous.on_battery) day.failures = wrapping_sum(day.failures, 1);
  }
  previous.on_battery = on_battery;

  const bool avr = (status_bits & ups_link::STATUS_AVR) != 0;
  if (avr && !previous.avr) day.avr_engagements = wrapping_sum(day.avr_engagements, 1);
  previous.avr = avr;
  if (avr) day.avr_seconds += dt;

  if (!on_battery) day.energy_va_minutes += static_cast<double>(load_va) * dt * (1.0 / 60.0);
}

}  // namespace stats
