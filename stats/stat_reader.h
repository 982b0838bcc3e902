// stat_reader: the reading side of the statistics archive, in the statistics window's process.
//
// Reads day, month and year totals and whole raw and event files, and keeps the month, year and
// all-time summaries ("sum_ssd.dat") up to date: a summary is rebuilt from its sources when one of
// them carries a later stamp than the summary itself. It shares nothing with the recorder but the
// files: the recorder writes whole records and appends, the reader counts whole records only.
//
// Not thread-safe: one reader per window, used on its GUI thread. Without a root (no "stat_path")
// nothing is read or written: reads fail, checks find everything current, updates do nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "stats/archive_paths.h"
#include "stats/stat_config.h"
#include "stats/stat_files.h"
#include "stats/stat_summary.h"

namespace stats {

// Years older than the current one minus this are neither listed nor summed.
constexpr int kYearsKept = 50;

// A day's raw file at one poll a second is about 1 MiB; larger files are damage and only their
// start is read (a whole number of records).
constexpr std::size_t kLargestFileRead = 24 * 1024 * 1024;

class stat_reader {
 public:
  stat_reader(StatFiles& files, StatConfigLoader config_loader);

  // Takes the root from "stat_path"; false when the Config key cannot be opened.
  bool load_path();

  bool read_year_summary(int year, StatSummary& summary);
  bool read_month_summary(int year, int month, StatSummary& summary);
  bool read_day_summary(int year, int month, int day, StatSummary& summary);
  // The raw file's bytes (raw_sample.h decodes them); nothing when it is missing or empty.
  std::optional<std::string> read_raw(int year, int month, int day);
  // The event file's Windows-1251 text; nothing when it is missing.
  std::optional<std::string> read_events(int year, int month, int day);

  bool month_is_current(int year, int month);
  bool year_is_current(int year);
  bool all_is_current();

  // Rebuild what is outdated (a year its months first, all-time its years first); false only
  // when the summary file cannot be created or written.
  bool update_month(int year, int month);
  bool update_year(int year);
  bool update_all();

 private:
  template <typename SourcePath>
  bool rebuild(const std::string& summary_path, int first, int last, SourcePath source_path);
  bool source_is_later(const std::string& source_path, const StatTimeStamp& summary_stamp);
  bool read_summary(const std::string& path, StatSummary& summary);
  std::optional<std::string> read_whole_file(const std::string& path);
  std::string day_file(int year, int month, int day, DayFile kind) const;

  StatFiles& files_;
  StatConfigLoader config_loader_;
  std::string root_;
};

}  // namespace stats
