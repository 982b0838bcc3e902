// Dates of the statistics sheet and its calendar: a plain year, month and day, the months the
// calendar can show, and the Sunday-first month grid of 6 weeks by 7 days.
//
// The calendar covers the years the platform's date values cover, 100 to 9999 (the readers'
// time stamps have the same range, stats/automation_date.h); a date outside them, or one that does
// not exist (30 February), is never selected, shown as a day or read from the archive.
// Pure values and functions; any thread.
#pragma once

#include <array>
#include <compare>
#include <optional>

namespace statsheet {

inline constexpr int kFirstCalendarYear = 100;
inline constexpr int kLastCalendarYear = 9999;

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  auto operator<=>(const CalendarDate&) const = default;
};

struct YearMonth {
  int year = 0;
  int month = 0;
  auto operator<=>(const YearMonth&) const = default;
};

bool is_valid_date(const CalendarDate& date);
bool is_valid_month(const YearMonth& month);

// 0 = Sunday; for a valid date only (-1 otherwise).
int day_of_week(const CalendarDate& date);

// The month `delta` months away; nothing when that leaves the calendar's years.
std::optional<YearMonth> add_months(const YearMonth& month, int delta);

// The calendar's grid: 6 rows of 7 cells, Sunday first, starting on the Sunday on or before the
// first of the month (a month that begins on a Sunday starts in the first cell). Cells before
// and after the month hold the neighbouring months' days.
inline constexpr int kGridColumns = 7;
inline constexpr int kGridRows = 6;
inline constexpr int kGridCells = kGridColumns * kGridRows;

struct GridDay {
  CalendarDate date;     // meaningful only when valid
  bool valid = false;    // false beyond the calendar's first or last day
  bool in_month = false; // the displayed month's own day
};
using MonthGrid = std::array<GridDay, kGridCells>;

// The grid of a valid month (all cells invalid for another).
MonthGrid month_grid(const YearMonth& month);

}  // namespace statsheet
