// The native file layer under the recorder and the readers, on a real temporary directory.
#include "stats/stat_files_native.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "stats/stat_core.h"
#include "stats/stat_reader.h"
#include "stats/test_stat_clock.h"

namespace stats {
namespace {

namespace fs = std::filesystem;

TEST(NativeStatFiles, RecorderAndReaderMeetInRealFiles) {
  const fs::path root = fs::temp_directory_path() / ("orvik_stats_" + std::to_string(getpid()));
  fs::remove_all(root);
  platform::RecordingSideEffects clock;
  clock.now = {2024, 6, 15, 6, 23, 59, 59, 0};
  NativeStatFiles files;
  const StatConfig config{true, true, 1, false, root.string()};
  stat_core recorder(files, [&] { return config; });
  ASSERT_TRUE(recorder.load_config());
  recorder.add_sample(true, {}, 100.0f, false);
  advance_clock(clock, 1000);  // into the next day: its directory path is built from backslashes
  recorder.add_sample(true, {}, 100.0f, false);
  recorder.flush();
  EXPECT_EQ(fs::file_size(root / "2024/6/16_ssd.dat"), sizeof(StatSummary));
  EXPECT_EQ(fs::file_size(root / "2024/6/16_raw.dat"), kRawSampleSize);

  stat_reader reader(files, [&] { return config; });
  ASSERT_TRUE(reader.load_path());
  ASSERT_TRUE(reader.update_all());
  EXPECT_TRUE(reader.all_is_current());
  StatSummary month{};
  ASSERT_TRUE(reader.read_month_summary(2024, 6, month));
  EXPECT_EQ(+month.monitored_seconds, 1) << "packed field read by value";
  std::string bytes;
  EXPECT_TRUE(files.read_file((root / "2024/6/16_raw.dat").string(), 5, bytes));
  EXPECT_EQ(bytes.size(), 5u) << "reads stop at the limit";
  EXPECT_FALSE(reader.read_events(2024, 6, 16));
  fs::remove_all(root);
}

}  // namespace
}  // namespace stats
