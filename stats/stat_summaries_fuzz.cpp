// Fuzz target: the readers over an archive whose summary, day, raw and event files hold arbitrary
// bytes, truncated or garbage. The input is a sequence of [file selector][length][bytes].
// After an update everything must be current, and no read may go out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stats/archive_paths.h"
#include "stats/raw_sample.h"
#include "stats/stat_reader.h"
#include "stats/test_memory_stat_files.h"
#include "platform/test_side_effects.h"

namespace {

constexpr char kRoot[] = "C:\\a";

std::vector<std::string> archive_files() {
  using namespace stats;
  std::vector<std::string> paths = {all_summary_path(kRoot), year_summary_path(kRoot, 2024),
                                    year_summary_path(kRoot, 2023), month_summary_path(kRoot, 2024, 6),
                                    month_summary_path(kRoot, 2024, 5), month_summary_path(kRoot, 2023, 12)};
  for (int day : {1, 2, 3, 15, 30, 31})
    paths.push_back(day_file_path(month_prefix(kRoot, 2024, 6), day, DayFile::kSummary));
  paths.push_back(day_file_path(month_prefix(kRoot, 2024, 5), 31, DayFile::kSummary));
  paths.push_back(day_file_path(month_prefix(kRoot, 2023, 12), 31, DayFile::kSummary));
  paths.push_back(day_file_path(month_prefix(kRoot, 2024, 6), 1, DayFile::kRaw));
  paths.push_back(day_file_path(month_prefix(kRoot, 2024, 6), 1, DayFile::kEvents));
  return paths;
}

void fill_archive(stats::MemoryStatFiles& files, const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> paths = archive_files();
  for (const char* dir : {"C:", "C:\\a", "C:\\a\\2024", "C:\\a\\2024\\6", "C:\\a\\2024\\5", "C:\\a\\2023",
                          "C:\\a\\2023\\12"})
    files.add_directory(dir);
  std::size_t at = 0;
  while (at + 2 <= size) {
    const std::string& path = paths[data[at] % paths.size()];
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    files.put(path, std::string(reinterpret_cast<const char*>(data + at + 2), length));
    at += 2 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::RecordingSideEffects clock;
  clock.now = {2024, 6, 15, 6, 12, 0, 0, 0};
  stats::MemoryStatFiles files;
  fill_archive(files, data, size);
  stats::stat_reader reader(files, [] { return stats::StatConfig{true, false, 1, false, kRoot}; });
  reader.load_path();

  if (!reader.update_all() || !reader.all_is_current()) __builtin_trap();
  stats::StatSummary summary;
  reader.read_year_summary(2024, summary);
  reader.read_month_summary(2024, 6, summary);
  reader.read_day_summary(2024, 6, 1, summary);
  if (const std::optional<std::string> raw = reader.read_raw(2024, 6, 1)) {
    for (std::size_t i = 0; i < stats::raw_record_count(raw->size()); ++i)
      (void)stats::unpack_raw_sample(stats::raw_record_at(*raw, i));
  }
  (void)reader.read_events(2024, 6, 1);
  return 0;
}
