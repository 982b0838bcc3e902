#include "stats/automation_date.h"

namespace stats {
namespace {

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days from 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's civil-date algorithm).
long days_from_civil(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return static_cast<long>(era) * 146097 + day_of_era - 719468;
}

bool fields_in_range(const StatTimeStamp& s) {
  return s.year >= 100 && s.year <= 9999 && s.month >= 1 && s.month <= 12 && s.day >= 1 &&
         s.day <= days_in_month(s.year, s.month) && s.hour < 24 && s.minute < 60 && s.second < 60;
}

}  // namespace

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

std::optional<double> automation_date(const StatTimeStamp& stamp) {
  if (!fields_in_range(stamp)) return std::nullopt;
  static const long kEpoch = days_from_civil(1899, 12, 30);
  double value = static_cast<double>(days_from_civil(stamp.year, stamp.month, stamp.day) - kEpoch);
  // The same additions in the same order as the system, so that the values agree to the bit.
  const double sign = value < 0.0 ? -1.0 : 1.0;
  value += stamp.hour / 24.0 * sign;
  value += stamp.minute / 1440.0 * sign;
  value += stamp.second / 86400.0 * sign;
  return value;
}

bool stamp_is_later(const StatTimeStamp& a, const StatTimeStamp& b) {
  const std::optional<double> value_a = automation_date(a);
  const std::optional<double> value_b = automation_date(b);
  return value_a && value_b && *value_a > *value_b;
}

}  // namespace stats
