// The texts of the statistics sheet's totals: the captions and widths of the report lists, the
// rows of the year and month pages, the choice of years on the month page and the selected day's
// information text. UTF-8; the window side converts them for the W controls.
//
// Numbers shown with one decimal use the decimal point handed in (the window side takes it from
// the runtime library's locale in force, see decimal_point_from_locale), never the locale of the
// process that runs this code. Summaries come from files any user may have damaged: no value of
// them makes a text fail (NaN or negative durations count as 0 seconds).
// Pure functions (the page builders read through the stat_reader they are given); any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statsheet/calendar_date.h"
#include "stats/stat_reader.h"
#include "stats/stat_summary.h"

namespace statsheet {

// The captions of the seven totals of a StatSummary, in the order of its fields.
inline constexpr const char* STAT_LABELS[7] = {
    "Общее время работы", "Время работы от батареи", "Сбоев", "AVR", "Время работы AVR", "Действий", "Потребление",
};

struct ListColumn {
  const char* caption;
  int width;  // pixels; every column is left-aligned
};
inline constexpr int kTotalsColumns = 8;
inline constexpr std::array<ListColumn, kTotalsColumns> kYearColumns = {{
    {"Годы", 46}, {STAT_LABELS[0], 127}, {STAT_LABELS[1], 149}, {STAT_LABELS[2], 51},
    {STAT_LABELS[3], 46}, {STAT_LABELS[4], 113}, {STAT_LABELS[5], 69}, {STAT_LABELS[6], 87},
}};
inline constexpr std::array<ListColumn, kTotalsColumns> kMonthColumns = {{
    {"Мес.", 46}, {STAT_LABELS[0], 127}, {STAT_LABELS[1], 149}, {STAT_LABELS[2], 51},
    {STAT_LABELS[3], 46}, {STAT_LABELS[4], 113}, {STAT_LABELS[5], 69}, {STAT_LABELS[6], 87},
}};

// The decimal point the texts use for a locale's one: one printable ASCII character that cannot
// be read as part of a number or as the CSV's field separator; '.' for anything else (a custom
// regional setting may hold "", ";" or several characters).
char decimal_point_from_locale(std::string_view locale_point);

// "%.1f" with `point`; exact to the binary value, as printf rounds.
std::string fixed_one(double value, char point);

// Stored seconds as format_duration takes them: truncated, NaN and negatives 0, too large ones
// the largest.
std::uint32_t duration_seconds(double stored);

// Column texts of one row: "%d" of `first` (the year or month), then the seven totals.
using TotalsTexts = std::array<std::string, kTotalsColumns>;
TotalsTexts totals_texts(int first, const stats::StatSummary& summary, char point);

struct TotalsRow {
  int item;  // the row's item value: its year or month
  TotalsTexts texts;
  bool operator==(const TotalsRow&) const = default;
};

// Years whose archive is kept: the current one and the 50 before it.
inline constexpr int kYearsListed = stats::kYearsKept;

// The year page: a row for each kept year whose summary can be read, newest first.
std::vector<TotalsRow> year_page_rows(stats::stat_reader& reader, int current_year, char point);
// The month page's year choices: "%d" of each kept year whose summary can be read, oldest first.
std::vector<std::string> year_choices(stats::stat_reader& reader, int current_year);
// The year a choice's text names (its leading digits, at most 20 characters read); 0 for none.
int year_of_choice(std::string_view text);
// The month page: a row for each month of `year` whose summary can be read, newest first.
std::vector<TotalsRow> month_page_rows(stats::stat_reader& reader, int year, char point);

// The day page's information on the selected day: "Информация по d/m/y", a blank line and the
// seven totals; empty when the date is impossible or its day file cannot be read.
std::string day_information_text(stats::stat_reader& reader, const CalendarDate& day, char point);

}  // namespace statsheet
