// What the statistics sheet and its calendar take from the user's regional settings: month and
// weekday names in the user's language and the decimal separator of the numbers shown and
// exported. Read from the system for each use, never by switching the runtime library's locale:
// a core hosted in the same process (orvik_ups /app) reads and writes the UPS's numbers with a
// point whatever the user's separator. Any thread.
#pragma once

#include <string>

#include "statsheet/calendar_date.h"

namespace statsheet {

// The month's name and its year, "November 2026"; empty for an invalid month.
std::wstring month_title_text(const YearMonth& month);
// The abbreviated name of a weekday, 0 = Sunday.
std::wstring weekday_name(int weekday);
// The user's decimal separator, made safe for texts and the CSV (decimal_point_from_locale).
char user_decimal_point();

}  // namespace statsheet
