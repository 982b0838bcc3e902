// Fuzz target: the recorder continuing a day whose files were left truncated or garbage (a crash,
// a foreign file). The first input byte gives the length of the day file, the next the length of
// the event file, the rest is the raw file. The recorder must continue the raw file after its last
// whole record and keep every file whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "stats/archive_paths.h"
#include "stats/stat_core.h"
#include "stats/test_memory_stat_files.h"
#include "platform/test_side_effects.h"

namespace {

constexpr char kRoot[] = "C:\\a";
constexpr int kSamplesStored = 2;  // three polls: the first only starts the clock

std::string take(const std::uint8_t*& data, std::size_t& size, std::size_t wanted) {
  const std::size_t length = std::min(wanted, size);
  std::string bytes(reinterpret_cast<const char*>(data), length);
  data += length;
  size -= length;
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t day_length = data[0];
  const std::size_t events_length = data[1];
  data += 2;
  size -= 2;
  const std::string day_file = take(data, size, day_length);
  const std::string events = take(data, size, events_length);
  const std::string raw = take(data, size, size);

  platform::RecordingSideEffects clock;
  clock.now = {2024, 6, 15, 6, 12, 0, 0, 0};
  stats::MemoryStatFiles files;
  for (const char* dir : {"C:", "C:\\a", "C:\\a\\2024", "C:\\a\\2024\\6"}) files.add_directory(dir);
  const std::string month = stats::month_prefix(kRoot, 2024, 6);
  const std::string day_path = stats::day_file_path(month, 15, stats::DayFile::kSummary);
  const std::string raw_path = stats::day_file_path(month, 15, stats::DayFile::kRaw);
  const std::string events_path = stats::day_file_path(month, 15, stats::DayFile::kEvents);
  files.put(day_path, day_file);
  files.put(raw_path, raw);
  files.put(events_path, events);

  {
    stats::stat_core recorder(files, [] { return stats::StatConfig{true, true, 1, false, kRoot}; });
    recorder.load_config();
    ups_link::UpsStatus status;
    for (int poll = 0; poll <= kSamplesStored; ++poll) {
      recorder.add_sample(true, status, 100.0f, false);
      clock.advance(1000);
    }
    recorder.add_event(5, "\xD0\xA1\xD0\xB1\xD0\xBE\xD0\xB9\n");
    recorder.flush();
  }

  const std::size_t raw_expected =
      std::max(raw.size(), raw.size() - raw.size() % stats::kRawSampleSize + kSamplesStored * stats::kRawSampleSize);
  if (files.contents(raw_path).size() != raw_expected) __builtin_trap();
  if (files.contents(day_path).size() != std::max(day_file.size(), sizeof(stats::StatSummary))) __builtin_trap();
  if (files.contents(events_path).size() != events.size() + 17) __builtin_trap();
  return 0;
}
