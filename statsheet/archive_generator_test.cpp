// The generated archive read back as the sheet reads it: the readers' sums, the event lines
// against the counted totals, raw samples against the counted seconds, and the generator's own
// promises (a day does not depend on the range it was made in; failed writes are reported).
#include "statsheet/archive_generator.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/test_side_effects.h"
#include "stats/archive_paths.h"
#include "stats/raw_sample.h"
#include "stats/stat_reader.h"
#include "stats/summary_file.h"
#include "stats/test_memory_stat_files.h"
#include "stats/windows1251.h"

namespace statsheet {
namespace {

constexpr char kRoot[] = "C:\\stats";

ArchivePlan busy_plan(CalendarDate first, CalendarDate last, std::uint32_t raw_rate) {
  ArchivePlan plan{kRoot, first, last, 7, raw_rate};
  plan.failure_day_percent = 100;
  plan.avr_day_percent = 50;
  return plan;
}

std::string day_path(const CalendarDate& d, stats::DayFile kind) {
  return stats::day_file_path(stats::month_prefix(kRoot, d.year, d.month), d.day, kind);
}

int lines_with(const std::string& events, const char* code) {
  int count = 0;
  for (std::size_t at = events.find(code); at != std::string::npos; at = events.find(code, at + 1)) ++count;
  return count;
}

class Generated : public ::testing::Test {
 protected:
  Generated() : reader_(files_, [] { return stats::StatConfig{true, true, 1, false, kRoot}; }) {
    files_.add_directory("C:");
    clock_.now = {2024, 7, 1, 1, 8, 0, 0, 0};
    reader_.load_path();
  }
  stats::StatSummary day_file(const CalendarDate& d) {
    stats::StatSummary s{};
    EXPECT_TRUE(stats::read_summary_file(files_, day_path(d, stats::DayFile::kSummary), s));
    return s;
  }

  stats::MemoryStatFiles files_;
  platform::RecordingSideEffects clock_;
  stats::stat_reader reader_;
};

TEST_F(Generated, AMonthSumsUpThroughTheReadersAndItsEventsMatchItsCounts) {
  const ArchiveReport report = generate_archive(files_, busy_plan({2024, 6, 1}, {2024, 6, 30}, 60));
  ASSERT_TRUE(report.complete);
  EXPECT_EQ(report.days, 30);
  EXPECT_GT(report.days_with_actions, 0);
  EXPECT_GT(report.days_with_avr, 0);

  ASSERT_TRUE(reader_.update_all());
  stats::StatSummary month;
  ASSERT_TRUE(reader_.read_month_summary(2024, 6, month));
  EXPECT_DOUBLE_EQ(month.monitored_seconds, report.totals.monitored_seconds);
  EXPECT_EQ(+month.failures, +report.totals.failures);
  EXPECT_EQ(+month.actions, +report.totals.actions);
  EXPECT_EQ(+month.avr_engagements, +report.totals.avr_engagements);

  std::uint64_t raw_records = 0;
  for (int day = 1; day <= 30; ++day) {
    const stats::StatSummary s = day_file({2024, 6, day});
    EXPECT_LE(+s.monitored_seconds, 86400.0) << day;
    EXPECT_LE(+s.on_battery_seconds, +s.monitored_seconds) << day;
    const std::string events = files_.contents(day_path({2024, 6, day}, stats::DayFile::kEvents));
    EXPECT_EQ(lines_with(events, "|05|"), +s.failures) << day;
    EXPECT_EQ(lines_with(events, "|19|"), +s.avr_engagements) << day;
    EXPECT_EQ(lines_with(events, "|15|"), +s.actions) << day;
    const std::string raw = files_.contents(day_path({2024, 6, day}, stats::DayFile::kRaw));
    EXPECT_EQ(raw.size() % stats::kRawSampleSize, 0u);
    raw_records += stats::raw_record_count(raw.size());
  }
  EXPECT_EQ(raw_records, report.raw_records);
}

TEST_F(Generated, EventLinesAreTheCoresTextsInWindows1251) {
  generate_archive(files_, busy_plan({2024, 6, 1}, {2024, 6, 3}, 0));
  const std::string events = files_.contents(day_path({2024, 6, 1}, stats::DayFile::kEvents));
  ASSERT_FALSE(events.empty());
  EXPECT_NE(events.find("|05|" + stats::utf8_to_windows1251("Сбой в питании, переход на батарею\n")),
            std::string::npos);
  std::size_t start = 0;
  for (std::size_t end = events.find('\n'); end != std::string::npos; end = events.find('\n', start)) {
    const std::string line = events.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;  // the critical action's message ends in a blank line
    ASSERT_GE(line.size(), 12u) << line;
    EXPECT_EQ(line[2], ':');
    EXPECT_EQ(line[8], '|');
    EXPECT_EQ(line[11], '|');
  }
  EXPECT_EQ(start, events.size()) << "the file ends with a whole line";
}

TEST_F(Generated, EveryAnsweredPollLeavesASampleCarryingTheCountedState) {
  const ArchiveReport report = generate_archive(files_, busy_plan({2024, 6, 1}, {2024, 6, 2}, 1));
  ASSERT_TRUE(report.complete);
  for (int day = 1; day <= 2; ++day) {
    const stats::StatSummary s = day_file({2024, 6, day});
    const std::string raw = files_.contents(day_path({2024, 6, day}, stats::DayFile::kRaw));
    std::uint32_t on_battery = 0, avr = 0, previous_time = 0;
    for (std::size_t i = 0; i < stats::raw_record_count(raw.size()); ++i) {
      const stats::RawValues v = stats::unpack_raw_sample(stats::raw_record_at(raw, i));
      on_battery += (v.status & 0x80) != 0;
      avr += (v.status & 0x20) != 0;
      const std::uint32_t time = (v.hour * 60 + v.minute) * 600 + v.tenths;
      EXPECT_TRUE(i == 0 || time > previous_time) << "sample " << i;
      previous_time = time;
    }
    EXPECT_GT(on_battery, 0u);
    EXPECT_EQ(on_battery, +s.on_battery_seconds) << day;
    EXPECT_EQ(avr, +s.avr_seconds) << day;
  }
}

TEST_F(Generated, ADayIsTheSameWhateverRangeItWasMadeIn) {
  stats::MemoryStatFiles narrow;
  narrow.add_directory("C:");
  generate_archive(files_, busy_plan({2024, 2, 25}, {2024, 3, 6}, 60));
  generate_archive(narrow, busy_plan({2024, 3, 1}, {2024, 3, 1}, 60));
  for (const stats::DayFile kind : {stats::DayFile::kSummary, stats::DayFile::kRaw, stats::DayFile::kEvents}) {
    const std::string path = day_path({2024, 3, 1}, kind);
    EXPECT_EQ(narrow.contents(path), files_.contents(path)) << path;
  }
}

TEST_F(Generated, DaysThatCannotBeWrittenAreLeftOutAndReported) {
  files_.add_directory(kRoot);
  files_.add_directory(stats::year_directory(kRoot, 2024));
  files_.refuse_writes_to(stats::month_directory(kRoot, 2024, 7));
  const ArchiveReport report = generate_archive(files_, busy_plan({2024, 6, 29}, {2024, 7, 2}, 60));
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.days, 2);
  EXPECT_TRUE(files_.has(day_path({2024, 6, 30}, stats::DayFile::kSummary)));
  EXPECT_FALSE(files_.has(day_path({2024, 7, 1}, stats::DayFile::kSummary)));
}

TEST_F(Generated, ImpossibleRangesWriteNothing) {
  for (const auto& [first, last] : {std::pair<CalendarDate, CalendarDate>{{2024, 2, 30}, {2024, 3, 1}},
                                    {{2024, 3, 2}, {2024, 3, 1}},
                                    {{2024, 3, 1}, {10000, 1, 1}}}) {
    const ArchiveReport report = generate_archive(files_, busy_plan(first, last, 60));
    EXPECT_FALSE(report.complete);
    EXPECT_EQ(report.days, 0);
  }
  EXPECT_FALSE(files_.directory_exists(kRoot));
}

}  // namespace
}  // namespace statsheet
