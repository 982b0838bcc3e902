// Paths of the statistics archive below its root directory (the "stat_path" value, taken as it
// is). Year, month and day are plain decimal numbers without leading zeros; the separator is the
// backslash on every build (the native file layer translates it).
//
//   root\Y\M\D_ssd.dat   day totals          root\Y\M\sum_ssd.dat   month totals
//   root\Y\M\D_raw.dat   raw samples         root\Y\sum_ssd.dat     year totals
//   root\Y\M\D_log.dat   event lines         root\sum_ssd.dat       all-time totals
#pragma once

#include <string>

namespace stats {

enum class DayFile { kSummary, kRaw, kEvents };

std::string year_directory(const std::string& root, int year);
std::string month_directory(const std::string& root, int year, int month);

// The month directory with its trailing backslash, to which day file names are appended.
std::string month_prefix(const std::string& root, int year, int month);
std::string day_file_path(const std::string& month_prefix, int day, DayFile kind);

std::string month_summary_path(const std::string& root, int year, int month);
std::string year_summary_path(const std::string& root, int year);
std::string all_summary_path(const std::string& root);

}  // namespace stats
