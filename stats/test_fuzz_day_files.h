// Fuzz helper: one day's three files from a fuzzer's input, put into an in-memory archive at
// C:\a, 15 June 2024. The first input byte gives the length of the day file, the next the length
// of the event file, the rest is the raw file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "stats/archive_paths.h"
#include "stats/test_memory_stat_files.h"

namespace stats::testing {

inline constexpr char kFuzzRoot[] = "C:\\a";
inline constexpr int kFuzzYear = 2024, kFuzzMonth = 6, kFuzzDay = 15;

struct FuzzDayFiles {
  std::string day_file, events, raw;                // as the input gave them
  std::string day_path, events_path, raw_path;      // where they lie
};

// Nothing for an input shorter than its two length bytes.
inline std::optional<FuzzDayFiles> put_fuzz_day_files(const std::uint8_t* data, std::size_t size,
                                                      MemoryStatFiles& files) {
  if (size < 2) return std::nullopt;
  auto take = [&](std::size_t wanted) {
    const std::size_t length = std::min(wanted, size);
    std::string bytes(reinterpret_cast<const char*>(data), length);
    data += length;
    size -= length;
    return bytes;
  };
  const std::size_t day_length = data[0], events_length = data[1];
  data += 2;
  size -= 2;
  FuzzDayFiles day;
  day.day_file = take(day_length);
  day.events = take(events_length);
  day.raw = take(size);
  for (const char* dir : {"C:", "C:\\a", "C:\\a\\2024", "C:\\a\\2024\\6"}) files.add_directory(dir);
  const std::string month = month_prefix(kFuzzRoot, kFuzzYear, kFuzzMonth);
  day.day_path = day_file_path(month, kFuzzDay, DayFile::kSummary);
  day.events_path = day_file_path(month, kFuzzDay, DayFile::kEvents);
  day.raw_path = day_file_path(month, kFuzzDay, DayFile::kRaw);
  files.put(day.day_path, day.day_file);
  files.put(day.events_path, day.events);
  files.put(day.raw_path, day.raw);
  return day;
}

}  // namespace stats::testing
