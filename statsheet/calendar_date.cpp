#include "statsheet/calendar_date.h"

#include <cmath>

#include "stats/automation_date.h"

namespace statsheet {

bool is_valid_month(const YearMonth& m) {
  return m.year >= kFirstCalendarYear && m.year <= kLastCalendarYear && m.month >= 1 && m.month <= 12;
}

bool is_valid_date(const CalendarDate& d) {
  return is_valid_month({d.year, d.month}) && d.day >= 1 && d.day <= stats::days_in_month(d.year, d.month);
}

// The readers' date value counts whole days from a Saturday, so the weekday follows from it
// without a second calendar algorithm.
int day_of_week(const CalendarDate& date) {
  if (!is_valid_date(date)) return -1;
  stats::StatTimeStamp stamp{};
  stamp.year = static_cast<std::uint16_t>(date.year);
  stamp.month = static_cast<std::uint16_t>(date.month);
  stamp.day = static_cast<std::uint16_t>(date.day);
  const double days = *stats::automation_date(stamp);
  const long from_saturday = static_cast<long>(std::fmod(days, 7.0));
  return static_cast<int>((from_saturday + 6 + 7) % 7);
}

std::optional<YearMonth> add_months(const YearMonth& month, int delta) {
  if (!is_valid_month(month)) return std::nullopt;
  const long index = month.year * 12L + (month.month - 1) + delta;
  const YearMonth moved{static_cast<int>(index / 12), static_cast<int>(index % 12) + 1};
  if (index < 0 || !is_valid_month(moved)) return std::nullopt;
  return moved;
}

MonthGrid month_grid(const YearMonth& month) {
  MonthGrid grid{};
  if (!is_valid_month(month)) return grid;
  const int lead = day_of_week({month.year, month.month, 1});
  const int length = stats::days_in_month(month.year, month.month);
  const std::optional<YearMonth> before = add_months(month, -1);
  const std::optional<YearMonth> after = add_months(month, 1);
  for (int i = 0; i < kGridCells; ++i) {
    const int day = i - lead + 1;
    GridDay& cell = grid[i];
    if (day < 1) {
      cell.valid = before.has_value();
      if (before) cell.date = {before->year, before->month, stats::days_in_month(before->year, before->month) + day};
    } else if (day > length) {
      cell.valid = after.has_value();
      if (after) cell.date = {after->year, after->month, day - length};
    } else {
      cell = {{month.year, month.month, day}, true, true};
    }
  }
  return grid;
}

}  // namespace statsheet
