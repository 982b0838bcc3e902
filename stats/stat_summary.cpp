#include "stats/stat_summary.h"

namespace stats {

StatTimeStamp stamp_from_local_time(const platform::LocalTime& time) {
  auto field = [](int value) { return static_cast<std::uint16_t>(value); };
  return {field(time.year), field(time.month),  field(time.day_of_week), field(time.day),
          field(time.hour), field(time.minute), field(time.second),      field(time.millisecond)};
}

std::int32_t wrapping_sum(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

void add_totals(StatSummary& into, const StatSummary& source) {
  into.monitored_seconds += source.monitored_seconds;
  into.on_battery_seconds += source.on_battery_seconds;
  into.avr_seconds += source.avr_seconds;
  into.energy_va_minutes += source.energy_va_minutes;
  into.failures = wrapping_sum(into.failures, source.failures);
  into.avr_engagements = wrapping_sum(into.avr_engagements, source.avr_engagements);
  into.actions = wrapping_sum(into.actions, source.actions);
}

}  // namespace stats
