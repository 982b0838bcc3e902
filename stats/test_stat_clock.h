// Test helper: moves the clocks of a platform::RecordingSideEffects double together, the tick
// count and the local time, across midnight and month ends as the calendar does.
#pragma once

#include "platform/test_side_effects.h"
#include "stats/automation_date.h"

namespace stats {

inline void next_day(platform::LocalTime& t) {
  t.day_of_week = (t.day_of_week + 1) % 7;
  if (++t.day <= days_in_month(t.year, t.month)) return;
  t.day = 1;
  if (++t.month <= 12) return;
  t.month = 1;
  ++t.year;
}

inline void advance_clock(platform::RecordingSideEffects& clock, std::uint32_t ms) {
  clock.advance(ms);
  platform::LocalTime& t = clock.now;
  const long long ms_of_day =
      ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond + static_cast<long long>(ms);
  for (long long day = 0; day < ms_of_day / 86400000; ++day) next_day(t);
  const long long rest = ms_of_day % 86400000;
  t.hour = static_cast<int>(rest / 3600000);
  t.minute = static_cast<int>(rest / 60000 % 60);
  t.second = static_cast<int>(rest / 1000 % 60);
  t.millisecond = static_cast<int>(rest % 1000);
}

}  // namespace stats
