// The automation date of the platform: a floating-point count of days since 30 December 1899
// 00:00, the value the statistics readers compare time stamps by.
//
// Computed here the way the system computes it (its SystemTimeToVariantTime), so that the readers
// run natively too; a Windows test checks it against the system's own conversion. Days before the
// epoch are negative and their time of day counts away from zero (1899-12-29 12:00 is -1.5).
#pragma once

#include <optional>

#include "stats/stat_summary.h"

namespace stats {

// The stamp of date value 0, a Saturday.
inline constexpr StatTimeStamp kAutomationEpochStamp = {1899, 12, 6, 30, 0, 0, 0, 0};

// The date value of a valid stamp: one that the system converts and converts back to the same
// year, month, day, hour, minute and second. That holds for years 100 to 9999 with every field in
// its calendar range; anything else is invalid. Milliseconds and the day of week are ignored.
std::optional<double> automation_date(const StatTimeStamp& stamp);

// True only when both stamps are valid and `a` has the strictly greater date value.
bool stamp_is_later(const StatTimeStamp& a, const StatTimeStamp& b);

int days_in_month(int year, int month);

}  // namespace stats
