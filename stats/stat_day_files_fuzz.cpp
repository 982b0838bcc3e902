// Fuzz target: the recorder continuing a day whose files were left truncated or garbage (a crash,
// a foreign file; the input split as stats/test_fuzz_day_files.h says). The recorder must continue
// the raw file after its last whole record and keep every file whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/test_side_effects.h"
#include "stats/stat_core.h"
#include "stats/test_fuzz_day_files.h"

namespace {

constexpr int kSamplesStored = 2;  // three polls: the first only starts the clock

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::RecordingSideEffects clock;
  clock.now = {2024, 6, 15, 6, 12, 0, 0, 0};
  stats::MemoryStatFiles files;
  const std::optional<stats::testing::FuzzDayFiles> day = stats::testing::put_fuzz_day_files(data, size, files);
  if (!day) return 0;

  {
    stats::stat_core recorder(files,
                              [] { return stats::StatConfig{true, true, 1, false, stats::testing::kFuzzRoot}; });
    recorder.load_config();
    ups_link::UpsStatus status;
    for (int poll = 0; poll <= kSamplesStored; ++poll) {
      recorder.add_sample(true, status, 100.0f, false);
      clock.advance(1000);
    }
    recorder.add_event(5, "\xD0\xA1\xD0\xB1\xD0\xBE\xD0\xB9\n");
    recorder.flush();
  }

  const std::size_t raw_size = day->raw.size();
  const std::size_t raw_expected =
      std::max(raw_size, raw_size - raw_size % stats::kRawSampleSize + kSamplesStored * stats::kRawSampleSize);
  if (files.contents(day->raw_path).size() != raw_expected) __builtin_trap();
  if (files.contents(day->day_path).size() != std::max(day->day_file.size(), sizeof(stats::StatSummary)))
    __builtin_trap();
  if (files.contents(day->events_path).size() != day->events.size() + 17) __builtin_trap();
  return 0;
}
