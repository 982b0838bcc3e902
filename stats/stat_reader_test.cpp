// The readers over an archive in memory: currency checks, rebuilds, damaged files; and the two
// presentation rules.
#include "stats/stat_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "stats/automation_date.h"
#include "stats/stat_presentation.h"
#include "stats/summary_file.h"
#include "stats/test_memory_stat_files.h"
#include "stats/test_stat_clock.h"

namespace stats {
namespace {

// Packed summary fields are read by value (unary +) where gtest would bind a reference to them.

constexpr char kRoot[] = "C:\\stats";

StatTimeStamp stamp(int year, int month, int day, int hour = 12) {
  return stamp_from_local_time({year, month, day, 0, hour, 0, 0, 0});
}

std::string bytes_of(const StatSummary& s) { return std::string(reinterpret_cast<const char*>(&s), sizeof s); }

class Reader : public ::testing::Test {
 protected:
  Reader() : reader_(files_, [this] { return config_; }) {
    files_.add_directory("C:");
    files_.add_directory(kRoot);
    clock_.now = {2024, 6, 15, 6, 10, 0, 0, 0};
    config_ = StatConfig{true, false, 1, false, kRoot};
    EXPECT_TRUE(reader_.load_path());
  }

  // A day file as the recorder leaves it: `monitored` seconds, one failure, stamped `when`.
  void put_day(int year, int month, int day, double monitored, const StatTimeStamp& when) {
    files_.add_directory(year_directory(kRoot, year));
    files_.add_directory(month_directory(kRoot, year, month));
    StatSummary s{};
    s.stamp = when;
    s.monitored_seconds = monitored;
    s.failures = 1;
    files_.put(day_file_path(month_prefix(kRoot, year, month), day, DayFile::kSummary), bytes_of(s));
  }
  void put_day(int year, int month, int day, double monitored) {
    put_day(year, month, day, monitored, stamp(year, month, day));
  }
  StatSummary month_summary(int year, int month) {
    StatSummary s{};
    EXPECT_TRUE(reader_.read_month_summary(year, month, s));
    return s;
  }
  bool everything_current() {
    return reader_.month_is_current(2024, 6) && reader_.year_is_current(2024) && reader_.all_is_current();
  }

  MemoryStatFiles files_;
  platform::RecordingSideEffects clock_;
  std::optional<StatConfig> config_;
  stat_reader reader_;
};

TEST_F(Reader, AMonthWithoutDayFilesGetsAnEmptySummaryAtTheEpoch) {
  files_.add_directory("C:\\stats\\2024");
  files_.add_directory("C:\\stats\\2024\\6");
  EXPECT_FALSE(reader_.month_is_current(2024, 6));
  EXPECT_TRUE(reader_.month_is_current(2024, 5)) << "no directory, nothing to build";
  ASSERT_TRUE(reader_.update_month(2024, 6));
  const StatSummary month = month_summary(2024, 6);
  EXPECT_EQ(automation_date(month.stamp), 0.0);
  EXPECT_EQ(+month.monitored_seconds, 0);
  EXPECT_TRUE(reader_.month_is_current(2024, 6));
}

TEST_F(Reader, SummariesFollowEveryLevelAndAreRebuiltWhenADayIsWrittenAgain) {
  put_day(2024, 6, 1, 100);
  put_day(2024, 6, 14, 200);
  put_day(2023, 12, 31, 50);
  EXPECT_FALSE(everything_current());
  ASSERT_TRUE(reader_.update_all());
  EXPECT_TRUE(everything_current());

  StatSummary all{};
  ASSERT_TRUE(read_summary_file(files_, all_summary_path(kRoot), all));
  EXPECT_EQ(+all.monitored_seconds, 350);
  EXPECT_EQ(+all.failures, 3);
  EXPECT_EQ(automation_date(all.stamp), automation_date(stamp(2024, 6, 14)));
  EXPECT_EQ(+month_summary(2024, 6).monitored_seconds, 300);

  put_day(2024, 6, 14, 260, stamp(2024, 6, 14, 13));  // the recorder writes today's file again
  EXPECT_FALSE(reader_.month_is_current(2024, 6));
  EXPECT_FALSE(reader_.year_is_current(2024));
  EXPECT_FALSE(reader_.all_is_current());
  EXPECT_TRUE(reader_.year_is_current(2023));
  ASSERT_TRUE(reader_.update_all());
  EXPECT_TRUE(everything_current());
  ASSERT_TRUE(read_summary_file(files_, all_summary_path(kRoot), all));
  EXPECT_EQ(+all.monitored_seconds, 410);
}

TEST_F(Reader, ADeletedDayKeepsItsTotalsAndAnUndatedSummaryIsNeverRebuilt) {
  put_day(2024, 6, 1, 100);
  put_day(2024, 6, 2, 100);
  ASSERT_TRUE(reader_.update_month(2024, 6));
  files_.remove(day_file_path("C:\\stats\\2024\\6\\", 2, DayFile::kSummary));
  EXPECT_TRUE(reader_.month_is_current(2024, 6)) << "no source is later";
  EXPECT_EQ(+month_summary(2024, 6).monitored_seconds, 200);

  StatSummary undated = month_summary(2024, 6);
  undated.stamp = StatTimeStamp{};
  files_.put(month_summary_path(kRoot, 2024, 6), bytes_of(undated));
  put_day(2024, 6, 3, 100, stamp(2024, 6, 3, 23));
  EXPECT_TRUE(reader_.month_is_current(2024, 6));
}

TEST_F(Reader, OnlyTheLastFiftyYearsAreSummed) {
  put_day(1973, 1, 1, 1000);
  put_day(1974, 1, 1, 10);
  ASSERT_TRUE(reader_.update_all());
  StatSummary all{};
  ASSERT_TRUE(read_summary_file(files_, all_summary_path(kRoot), all));
  EXPECT_EQ(+all.monitored_seconds, 10);
  StatSummary old_year{};
  EXPECT_FALSE(reader_.read_year_summary(1973, old_year)) << "never built";
}

TEST_F(Reader, ASummaryThatCannotBeWrittenFailsAndIsLeftOutAbove) {
  put_day(2024, 5, 1, 100);
  put_day(2024, 6, 1, 10);
  files_.refuse_writes_to(month_summary_path(kRoot, 2024, 5));
  EXPECT_FALSE(reader_.update_month(2024, 5));
  EXPECT_TRUE(reader_.update_year(2024)) << "the year itself could be written";
  StatSummary year{};
  ASSERT_TRUE(reader_.read_year_summary(2024, year));
  EXPECT_EQ(+year.monitored_seconds, 10);
}

TEST_F(Reader, TruncatedAndGarbageFilesAreSkippedOrSummedWithoutHarm) {
  put_day(2024, 6, 1, 100);
  files_.put(day_file_path("C:\\stats\\2024\\6\\", 2, DayFile::kSummary), std::string(59, '\x7F'));
  files_.put(day_file_path("C:\\stats\\2024\\6\\", 3, DayFile::kSummary), std::string(60, '\xFF'));
  StatSummary s{};
  EXPECT_FALSE(reader_.read_day_summary(2024, 6, 2, s)) << "shorter than one record";
  ASSERT_TRUE(reader_.update_all());
  const StatSummary month = month_summary(2024, 6);
  EXPECT_TRUE(std::isnan(+month.monitored_seconds)) << "garbage totals are summed as they are";
  EXPECT_EQ(+month.failures, 0) << "1 + (-1): counters wrap";
  EXPECT_EQ(automation_date(month.stamp), automation_date(stamp(2024, 6, 1))) << "an invalid stamp never wins";
  EXPECT_TRUE(everything_current());
}

TEST_F(Reader, RawAndEventFilesAreReadWhole) {
  put_day(2024, 6, 1, 1);
  const std::string month = "C:\\stats\\2024\\6\\";
  EXPECT_FALSE(reader_.read_raw(2024, 6, 1));
  files_.put(day_file_path(month, 1, DayFile::kRaw), "");
  EXPECT_FALSE(reader_.read_raw(2024, 6, 1)) << "an empty raw file is none";
  files_.put(day_file_path(month, 1, DayFile::kRaw), std::string(25, 'r'));
  EXPECT_EQ(reader_.read_raw(2024, 6, 1), std::string(25, 'r'));

  EXPECT_FALSE(reader_.read_events(2024, 6, 1));
  files_.put(day_file_path(month, 1, DayFile::kEvents), "");
  EXPECT_EQ(reader_.read_events(2024, 6, 1), "");
  files_.put(day_file_path(month, 1, DayFile::kEvents), "09:03:07|05|\xD1\xE1\xEE\xE9\n");
  EXPECT_EQ(reader_.read_events(2024, 6, 1), "09:03:07|05|\xD1\xE1\xEE\xE9\n");
}

TEST_F(Reader, WithoutARootNothingIsReadOrWritten) {
  files_.add_directory("");
  files_.add_directory("\\2024");
  files_.add_directory("\\2024\\6");
  config_->path.clear();
  ASSERT_TRUE(reader_.load_path());
  EXPECT_TRUE(reader_.update_all());
  EXPECT_FALSE(files_.has("\\sum_ssd.dat"));
  EXPECT_FALSE(files_.has("\\2024\\6\\sum_ssd.dat"));
  StatSummary s{};
  EXPECT_FALSE(reader_.read_year_summary(2024, s));

  config_.reset();
  EXPECT_FALSE(reader_.load_path()) << "the Config key cannot be opened";
}

TEST(Presentation, DurationsShowDaysHoursAndMinutesOrMinutesAndSeconds) {
  EXPECT_EQ(format_duration(0), "0:00:00");
  EXPECT_EQ(format_duration(59), "0:00:59");
  EXPECT_EQ(format_duration(3599), "0:59:59");
  EXPECT_EQ(format_duration(3600), "1:00");
  EXPECT_EQ(format_duration(3725), "1:02");
  EXPECT_EQ(format_duration(86400), "1д/0:00");
  EXPECT_EQ(format_duration(93784), "1д/2:03");
  EXPECT_EQ(format_duration(0xFFFFFFFF), "49710д/6:28");
}

TEST(Presentation, EnergyIsShownInWattHours) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", consumption_wh(1000));
  EXPECT_STREQ(text, "11.8");
  EXPECT_DOUBLE_EQ(consumption_wh(60), 0.7071);
}

}  // namespace
}  // namespace stats
