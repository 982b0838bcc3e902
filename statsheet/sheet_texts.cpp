#include "statsheet/sheet_texts.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "stats/stat_presentation.h"
#include "tray/status_text.h"

namespace statsheet {
namespace {

using tray::append_format;

constexpr int kMonths = 12;
constexpr std::size_t kChoiceCharacters = 20;

std::string duration_text(double stored) { return stats::format_duration(duration_seconds(stored)); }

template <typename Read>
std::vector<TotalsRow> newest_first(int first, int last, char point, Read read) {
  std::vector<TotalsRow> rows;
  for (int item = last; item >= first; --item) {
    stats::StatSummary summary;
    if (read(item, summary)) rows.push_back({item, totals_texts(item, summary, point)});
  }
  return rows;
}

}  // namespace

char decimal_point_from_locale(std::string_view locale_point) {
  if (locale_point.size() != 1) return '.';
  const char c = locale_point[0];
  const bool printable = c > ' ' && c < 0x7F;
  const bool numeric = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == 'e' || c == 'E';
  return printable && !numeric && c != ';' ? c : '.';
}

std::string fixed_one(double value, char point) {
  char text[400];  // DBL_MAX has 309 digits
  const std::to_chars_result r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  std::string out(text, r.ec == std::errc() ? r.ptr : text);
  for (char& c : out)
    if (c == '.') c = point;
  return out;
}

std::uint32_t duration_seconds(double stored) {
  if (!(stored > 0)) return 0;
  if (stored >= 4294967295.0) return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(stored);
}

TotalsTexts totals_texts(int first, const stats::StatSummary& s, char point) {
  return {
      std::to_string(first),
      duration_text(s.monitored_seconds),
      duration_text(s.on_battery_seconds),
      std::to_string(s.failures),
      std::to_string(s.avr_engagements),
      duration_text(s.avr_seconds),
      std::to_string(s.actions),
      fixed_one(stats::consumption_wh(s.energy_va_minutes), point),
  };
}

std::vector<TotalsRow> year_page_rows(stats::stat_reader& reader, int current_year, char point) {
  return newest_first(current_year - kYearsListed, current_year, point,
                      [&](int year, stats::StatSummary& s) { return reader.read_year_summary(year, s); });
}

std::vector<std::string> year_choices(stats::stat_reader& reader, int current_year) {
  std::vector<std::string> choices;
  for (int year = current_year - kYearsListed; year <= current_year; ++year) {
    stats::StatSummary summary;
    if (reader.read_year_summary(year, summary)) choices.push_back(std::to_string(year));
  }
  return choices;
}

int year_of_choice(std::string_view text) {
  text = text.substr(0, kChoiceCharacters);
  int year = 0;
  const std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), year);
  return r.ec == std::errc() ? year : 0;
}

std::vector<TotalsRow> month_page_rows(stats::stat_reader& reader, int year, char point) {
  return newest_first(1, kMonths, point,
                      [&](int month, stats::StatSummary& s) { return reader.read_month_summary(year, month, s); });
}

std::string day_information_text(stats::stat_reader& reader, const CalendarDate& day, char point) {
  stats::StatSummary s;
  if (!is_valid_date(day) || !reader.read_day_summary(day.year, day.month, day.day, s)) return {};
  std::string text;
  append_format(text, "Информация по %d/%d/%d\n\n", day.day, day.month, day.year);
  append_format(text, "%s: %s\n", STAT_LABELS[0], duration_text(s.monitored_seconds).c_str());
  append_format(text, "%s: %s\n", STAT_LABELS[1], duration_text(s.on_battery_seconds).c_str());
  append_format(text, "%s: %d\n", STAT_LABELS[2], static_cast<int>(s.failures));
  append_format(text, "%s: %d\n", STAT_LABELS[3], static_cast<int>(s.avr_engagements));
  append_format(text, "%s: %s\n", STAT_LABELS[4], duration_text(s.avr_seconds).c_str());
  append_format(text, "%s: %d\n", STAT_LABELS[5], static_cast<int>(s.actions));
  // Not through append_format: a damaged file's energy may print hundreds of digits.
  text += STAT_LABELS[6];
  text += ": " + fixed_one(stats::consumption_wh(s.energy_va_minutes), point) + " Вт * ч\n";
  return text;
}

}  // namespace statsheet
