#include "stats/stat_reader.h"

#include "platform/side_effects.h"
#include "stats/automation_date.h"
#include "stats/raw_sample.h"
#include "stats/summary_builder.h"
#include "stats/summary_file.h"

namespace stats {
namespace {

constexpr int kDaysScanned = 31;  // whatever the length of the month
constexpr int kMonths = 12;
static_assert(kLargestFileRead % kRawSampleSize == 0, "a cut raw file keeps whole records");

struct YearRange {
  int first;
  int last;
};

YearRange years_kept() {
  const int now = platform::side_effects().local_time().year;
  return {now - kYearsKept, now};
}

}  // namespace

stat_reader::stat_reader(StatFiles& files, StatConfigLoader config_loader)
    : files_(files), config_loader_(std::move(config_loader)) {}

bool stat_reader::load_path() {
  const std::optional<StatConfig> config = config_loader_();
  if (!config) return false;
  root_ = config->path;
  return true;
}

bool stat_reader::read_year_summary(int year, StatSummary& summary) {
  return read_summary(year_summary_path(root_, year), summary);
}

bool stat_reader::read_month_summary(int year, int month, StatSummary& summary) {
  return read_summary(month_summary_path(root_, year, month), summary);
}

bool stat_reader::read_day_summary(int year, int month, int day, StatSummary& summary) {
  return read_summary(day_file(year, month, day, DayFile::kSummary), summary);
}

std::optional<std::string> stat_reader::read_raw(int year, int month, int day) {
  std::optional<std::string> bytes = read_whole_file(day_file(year, month, day, DayFile::kRaw));
  if (bytes && bytes->empty()) return std::nullopt;
  return bytes;
}

std::optional<std::string> stat_reader::read_events(int year, int month, int day) {
  return read_whole_file(day_file(year, month, day, DayFile::kEvents));
}

bool stat_reader::month_is_current(int year, int month) {
  if (root_.empty() || !files_.directory_exists(month_directory(root_, year, month))) return true;
  StatSummary summary;
  if (!read_month_summary(year, month, summary)) return false;
  for (int day = 1; day <= kDaysScanned; ++day)
    if (source_is_later(day_file(year, month, day, DayFile::kSummary), summary.stamp)) return false;
  return true;
}

bool stat_reader::year_is_current(int year) {
  if (root_.empty() || !files_.directory_exists(year_directory(root_, year))) return true;
  StatSummary summary;
  if (!read_year_summary(year, summary)) return false;
  for (int month = 1; month <= kMonths; ++month) {
    if (!month_is_current(year, month) || source_is_later(month_summary_path(root_, year, month), summary.stamp))
      return false;
  }
  return true;
}

bool stat_reader::all_is_current() {
  if (root_.empty()) return true;
  StatSummary summary;
  if (!read_summary(all_summary_path(root_), summary)) return false;
  const YearRange years = years_kept();
  for (int year = years.first; year <= years.last; ++year) {
    if (!year_is_current(year) || source_is_later(year_summary_path(root_, year), summary.stamp)) return false;
  }
  return true;
}

bool stat_reader::update_month(int year, int month) {
  if (month_is_current(year, month)) return true;
  return rebuild(month_summary_path(root_, year, month), 1, kDaysScanned,
                 [&](int day) -> std::optional<std::string> { return day_file(year, month, day, DayFile::kSummary); });
}

bool stat_reader::update_year(int year) {
  if (year_is_current(year)) return true;
  return rebuild(year_summary_path(root_, year), 1, kMonths, [&](int month) -> std::optional<std::string> {
    if (!update_month(year, month)) return std::nullopt;
    return month_summary_path(root_, year, month);
  });
}

bool stat_reader::update_all() {
  if (all_is_current()) return true;
  const YearRange years = years_kept();
  return rebuild(all_summary_path(root_), years.first, years.last, [&](int year) -> std::optional<std::string> {
    if (!update_year(year)) return std::nullopt;
    return year_summary_path(root_, year);
  });
}

// The summary file is created before its sources are brought up to date, as a sum that cannot
// be stored is not worth building.
template <typename SourcePath>
bool stat_reader::rebuild(const std::string& summary_path, int first, int last, SourcePath source_path) {
  const std::unique_ptr<StatFile> file = files_.open_for_writing(root_, summary_path, OpenMode::kCreateOrTruncate);
  if (!file) return false;
  SummaryBuilder builder;
  for (int i = first; i <= last; ++i) {
    const std::optional<std::string> path = source_path(i);
    StatSummary source;
    if (path && read_summary_file(files_, *path, source)) builder.add(source);
  }
  return write_summary(*file, builder.result());
}

bool stat_reader::source_is_later(const std::string& source_path, const StatTimeStamp& summary_stamp) {
  StatSummary source;
  return read_summary_file(files_, source_path, source) && stamp_is_later(source.stamp, summary_stamp);
}

bool stat_reader::read_summary(const std::string& path, StatSummary& summary) {
  return !root_.empty() && read_summary_file(files_, path, summary);
}

std::optional<std::string> stat_reader::read_whole_file(const std::string& path) {
  std::string bytes;
  if (root_.empty() || !files_.read_file(path, kLargestFileRead, bytes)) return std::nullopt;
  return bytes;
}

std::string stat_reader::day_file(int year, int month, int day, DayFile kind) const {
  return day_file_path(month_prefix(root_, year, month), day, kind);
}

}  // namespace stats
