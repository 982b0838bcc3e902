#include "stats/archive_paths.h"

namespace stats {
namespace {

constexpr char kSummaryName[] = "sum_ssd.dat";

const char* day_file_suffix(DayFile kind) {
  switch (kind) {
    case DayFile::kSummary: return "_ssd.dat";
    case DayFile::kRaw: return "_raw.dat";
    case DayFile::kEvents: return "_log.dat";
  }
  return "";
}

}  // namespace

std::string year_directory(const std::string& root, int year) { return root + '\\' + std::to_string(year); }

std::string month_directory(const std::string& root, int year, int month) {
  return year_directory(root, year) + '\\' + std::to_string(month);
}

std::string month_prefix(const std::string& root, int year, int month) {
  return month_directory(root, year, month) + '\\';
}

std::string day_file_path(const std::string& month_prefix, int day, DayFile kind) {
  return month_prefix + std::to_string(day) + day_file_suffix(kind);
}

std::string month_summary_path(const std::string& root, int year, int month) {
  return month_prefix(root, year, month) + kSummaryName;
}

std::string year_summary_path(const std::string& root, int year) {
  return year_directory(root, year) + '\\' + kSummaryName;
}

std::string all_summary_path(const std::string& root) { return root + '\\' + kSummaryName; }

}  // namespace stats
