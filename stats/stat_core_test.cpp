// The recorder over an archive in memory, on a clock the tests move.
#include "stats/stat_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/test_config_store.h"
#include "link/ups_status.h"
#include "platform/test_trace_capture.h"
#include "stats/archive_paths.h"
#include "stats/test_memory_stat_files.h"
#include "stats/test_stat_clock.h"
#include "stats/windows1251.h"

namespace stats {
namespace {

// Packed summary fields are read by value (unary +) where gtest would bind a reference to them.

using ups_link::STATUS_AVR;
using ups_link::STATUS_UTILITY_FAIL;

constexpr char kRoot[] = "C:\\stats";
const std::string kMonth = "C:\\stats\\2008\\3\\";

TEST(StatConfig, MissingOrBrokenValuesTakeTheirSetupDefaults) {
  core::FakeConfigStore store;
  store.set_string("stat_path", "C:\\stats");
  store.set_dword("stat_on", 1);
  store.set_mistyped("stat_data");
  StatConfig config = read_stat_config(store);
  EXPECT_TRUE(config.on);
  EXPECT_FALSE(config.raw);
  EXPECT_EQ(config.rate, 1u);
  EXPECT_FALSE(config.flush_force);
  EXPECT_EQ(config.path, "C:\\stats");

  store.set_dword("stat_rate", 0xFFFFFFFB);  // -5 as the settings page stores it
  EXPECT_EQ(read_stat_config(store).rate, 1u);
  store.set_dword("stat_rate", 0);
  EXPECT_EQ(read_stat_config(store).rate, 1u);
  store.set_dword("stat_rate", 5);
  EXPECT_EQ(read_stat_config(store).rate, 5u);
}

TEST(StatConfig, WithoutAPathNothingIsRecorded) {
  core::FakeConfigStore store;
  store.set_dword("stat_on", 1);
  EXPECT_FALSE(read_stat_config(store).on);
  store.set_string("stat_path", std::string(255, 'p'));
  EXPECT_TRUE(read_stat_config(store).on) << "255 characters fit";
  store.set_string("stat_path", std::string(256, 'p'));
  EXPECT_FALSE(read_stat_config(store).on);
  EXPECT_EQ(read_stat_config(store).path, "");
}

class Recorder : public ::testing::Test {
 protected:
  Recorder() {
    files_.add_directory("C:");
    config_.on = true;
    config_.path = kRoot;
    clock_.now = {2008, 3, 7, 5, 14, 5, 37, 250};
    clock_.tick = 1000;
  }

  stat_core& recorder() {
    if (!recorder_) {
      recorder_ = std::make_unique<stat_core>(files_, [this] { return loadable_ ? std::optional(config_) : std::nullopt; });
      EXPECT_TRUE(recorder_->load_config());
    }
    return *recorder_;
  }
  // One poll `ms` after the previous one.
  void poll(std::uint32_t ms, std::uint32_t status_bits = 0, bool link_up = true, float load_va = 0) {
    advance_clock(clock_, ms);
    ups_link::UpsStatus status;
    status.input_voltage = 230.0f;
    status.status_bits = status_bits;
    recorder().add_sample(link_up, status, load_va, false);
  }
  StatSummary day_file(const std::string& month, int day) {
    StatSummary s{};
    const std::string bytes = files_.contents(day_file_path(month, day, DayFile::kSummary));
    EXPECT_EQ(bytes.size(), sizeof s);
    std::memcpy(&s, bytes.data(), std::min(bytes.size(), sizeof s));
    return s;
  }
  std::string raw_file(const std::string& month, int day) {
    return files_.contents(day_file_path(month, day, DayFile::kRaw));
  }

  MemoryStatFiles files_;
  StatConfig config_;
  bool loadable_ = true;
  platform::RecordingSideEffects clock_;
  std::unique_ptr<stat_core> recorder_;
};

TEST_F(Recorder, TheFirstSampleOnlyStartsTheClock) {
  poll(0);
  recorder().flush();
  EXPECT_TRUE(files_.directory_exists("C:\\stats\\2008\\3")) << "the day's directories are made at once";
  EXPECT_FALSE(files_.has(day_file_path(kMonth, 7, DayFile::kSummary)));
  poll(1000);
  recorder().flush();
  EXPECT_EQ(+day_file(kMonth, 7).monitored_seconds, 1.0);
}

TEST_F(Recorder, GapsAndSuspendsAddNoTime) {
  poll(0);
  poll(11000);
  poll(9900);
  advance_clock(clock_, 5000);
  recorder().add_sample(true, {}, 0, /*suspended=*/true);
  poll(1000, 0, /*link_up=*/false);
  recorder().flush();
  EXPECT_DOUBLE_EQ(+day_file(kMonth, 7).monitored_seconds, 10.9);
}

TEST_F(Recorder, TheTickCountWrapsWithoutAGap) {
  clock_.tick = 0xFFFFFC18;  // 1 s before the 32-bit tick wraps
  poll(0);
  poll(2000);
  recorder().flush();
  EXPECT_DOUBLE_EQ(+day_file(kMonth, 7).monitored_seconds, 2.0);
}

TEST(SampleTotals, EntriesAreCountedOnceAndEnergyOnlyOnMains) {
  StatSummary day{};
  PreviousFlags previous;
  const std::uint32_t sequence[] = {0, STATUS_UTILITY_FAIL, STATUS_UTILITY_FAIL, 0, STATUS_UTILITY_FAIL | STATUS_AVR,
                                    STATUS_AVR, STATUS_AVR, 0, STATUS_AVR};
  for (std::uint32_t bits : sequence) count_sample(day, previous, 2.0, true, bits, 120.0f);
  EXPECT_EQ(+day.monitored_seconds, 18);
  EXPECT_EQ(+day.failures, 2);
  EXPECT_EQ(+day.on_battery_seconds, 6);
  EXPECT_EQ(+day.avr_engagements, 2);
  EXPECT_EQ(+day.avr_seconds, 8);
  EXPECT_DOUBLE_EQ(+day.energy_va_minutes, 6 * 120.0 * 2.0 / 60.0);

  count_sample(day, previous, 2.0, false, STATUS_UTILITY_FAIL, 120.0f);
  EXPECT_EQ(+day.monitored_seconds, 20) << "a poll without an answer adds time only";
  EXPECT_EQ(+day.on_battery_seconds, 6);
  EXPECT_TRUE(previous.avr) << "and leaves the previous state alone";
}

TEST_F(Recorder, TheDayFileIsRewrittenOncePerMinuteOfCountedTime) {
  const std::string path = day_file_path(kMonth, 7, DayFile::kSummary);
  poll(0);
  for (int i = 0; i < 60; ++i) poll(1000);
  EXPECT_EQ(files_.writes_to(path), 0);
  poll(1000);
  EXPECT_EQ(files_.writes_to(path), 1);
  EXPECT_EQ(+day_file(kMonth, 7).monitored_seconds, 61);
  EXPECT_EQ(+day_file(kMonth, 7).stamp.minute, 6);
}

TEST_F(Recorder, EveryRateThAnsweredPollIsStoredInBatchesOf600) {
  config_.raw = true;
  config_.rate = 5;
  poll(0);
  for (int i = 0; i < 12; ++i) {
    poll(500, 0, false);  // no answer: neither counted nor stored
    poll(500);
  }
  EXPECT_EQ(raw_file(kMonth, 7), "") << "buffered until 600 records or a flush";
  recorder().flush();
  const std::string raw = raw_file(kMonth, 7);
  ASSERT_EQ(raw.size(), 2 * kRawSampleSize);
  EXPECT_EQ(unpack_raw_sample(raw_record_at(raw, 0)).tenths, 422u) << "the 5th answer, 14:05:42.250";
  EXPECT_EQ(unpack_raw_sample(raw_record_at(raw, 1)).tenths, 472u);

  config_.rate = 1;
  recorder().load_config();
  for (int i = 0; i < 599; ++i) poll(1000);
  EXPECT_EQ(raw_file(kMonth, 7).size(), 2 * kRawSampleSize);
  poll(1000);
  EXPECT_EQ(raw_file(kMonth, 7).size(), 602 * kRawSampleSize);
}

TEST_F(Recorder, ForceModeOnBatteryWritesEverythingThrough) {
  config_.raw = true;
  config_.flush_force = true;
  poll(0);
  poll(1000);
  EXPECT_EQ(raw_file(kMonth, 7), "") << "on mains force mode is off";
  poll(1000, STATUS_UTILITY_FAIL);
  EXPECT_EQ(raw_file(kMonth, 7).size(), 2 * kRawSampleSize);
  EXPECT_EQ(+day_file(kMonth, 7).failures, 1);
  poll(1000, STATUS_UTILITY_FAIL);
  EXPECT_EQ(+day_file(kMonth, 7).on_battery_seconds, 2);
}

TEST_F(Recorder, ATornRawRecordIsOverwrittenByTheNextSample) {
  config_.raw = true;
  files_.add_directory("C:\\stats");
  files_.add_directory("C:\\stats\\2008");
  files_.add_directory("C:\\stats\\2008\\3");
  const std::string earlier(2 * kRawSampleSize, '\x11');
  files_.put(day_file_path(kMonth, 7, DayFile::kRaw), earlier + "\x22\x22\x22\x22\x22");
  poll(0);
  poll(1000);
  recorder().flush();
  const std::string raw = raw_file(kMonth, 7);
  ASSERT_EQ(raw.size(), 3 * kRawSampleSize);
  EXPECT_EQ(raw.substr(0, earlier.size()), earlier);
  EXPECT_EQ(unpack_raw_sample(raw_record_at(raw, 2)).input_x10, 2300u);
}

TEST_F(Recorder, AtMidnightTheOldDayGetsItsLastWriteAndTheNewDayContinuesItsOwnFile) {
  config_.raw = true;
  clock_.now = {2008, 3, 31, 1, 23, 59, 58, 0};
  const std::string april = "C:\\stats\\2008\\4\\";
  poll(0);
  poll(1000);
  // 1 April already has totals (the service ran earlier that day, by the clock).
  files_.add_directory("C:\\stats\\2008\\4");
  StatSummary earlier{};
  earlier.monitored_seconds = 100;
  files_.put(day_file_path(april, 1, DayFile::kSummary), std::string(reinterpret_cast<char*>(&earlier), 60));
  poll(1000);
  poll(1000);
  recorder().flush();

  const StatSummary old_day = day_file(kMonth, 31);
  EXPECT_EQ(+old_day.monitored_seconds, 1);
  EXPECT_EQ(+old_day.stamp.month, 4);
  EXPECT_EQ(+old_day.stamp.day, 1) << "stamped already in the new day";
  EXPECT_EQ(+old_day.stamp.hour, 0);
  EXPECT_EQ(raw_file(kMonth, 31).size(), kRawSampleSize);
  EXPECT_EQ(+day_file(april, 1).monitored_seconds, 102);
  EXPECT_EQ(raw_file(april, 1).size(), 2 * kRawSampleSize);
}

TEST_F(Recorder, ARawFileThatCannotBeCreatedSwitchesRawRecordingOffUntilReloaded) {
  config_.raw = true;
  files_.refuse_writes_to(day_file_path(kMonth, 7, DayFile::kRaw));
  platform::TraceCapture trace;
  poll(0);
  poll(1000);
  poll(1000);
  recorder().flush();
  EXPECT_EQ(trace.joined(), "UPS::stat_core::load_config()\nUPS:error create raw\n") << "once, not per poll";
  EXPECT_EQ(+day_file(kMonth, 7).monitored_seconds, 2) << "totals go on";

  recorder().load_config();
  poll(1000);
  ASSERT_EQ(trace.texts().size(), 4u);
  EXPECT_EQ(trace.texts().back(), "UPS:error create raw\n") << "tried again after the reload";
}

TEST_F(Recorder, WithRecordingOffNothingIsWritten) {
  config_.on = false;
  poll(0);
  poll(1000);
  recorder().flush();
  EXPECT_EQ(recorder().add_event(1, "Служба ИБП запущена\n"), 0);
  EXPECT_FALSE(files_.directory_exists(kRoot));
}

TEST_F(Recorder, ANewRootTakesEffectAtTheNextSampleAndAnUnreadableKeyChangesNothing) {
  poll(0);
  poll(1000);
  loadable_ = false;
  EXPECT_FALSE(recorder().load_config());
  EXPECT_EQ(files_.writes_to(day_file_path(kMonth, 7, DayFile::kSummary)), 0) << "not even flushed";
  loadable_ = true;
  files_.add_directory("D:");
  config_.path = "D:\\archive";
  recorder().load_config();
  EXPECT_EQ(files_.writes_to(day_file_path(kMonth, 7, DayFile::kSummary)), 1) << "flushed before the switch";
  poll(1000);
  EXPECT_EQ(files_.writes_to(day_file_path(kMonth, 7, DayFile::kSummary)), 2) << "last write of the old root";
  poll(1000);
  recorder().flush();
  EXPECT_EQ(+day_file("D:\\archive\\2008\\3\\", 7).monitored_seconds, 2) << "the new day file starts empty";
}

TEST_F(Recorder, ARestartOnTheSameDayContinuesTheTotals) {
  config_.raw = true;
  poll(0);
  poll(1000, STATUS_UTILITY_FAIL);
  recorder().add_action();
  recorder().flush();
  recorder_.reset();  // the service stops and starts again
  poll(0);
  poll(1000);
  recorder().flush();
  const StatSummary day = day_file(kMonth, 7);
  EXPECT_EQ(+day.monitored_seconds, 2);
  EXPECT_EQ(+day.failures, 1);
  EXPECT_EQ(+day.actions, 1);
  EXPECT_EQ(raw_file(kMonth, 7).size(), 2 * kRawSampleSize);
}

TEST_F(Recorder, BufferedSamplesAreWrittenWhenTheRecorderGoesAndItSaysSoWhenMonitoringRan) {
  config_.raw = true;
  poll(0);
  poll(1000);
  recorder().trace_at_unload();
  platform::TraceCapture trace;
  recorder_.reset();
  EXPECT_EQ(raw_file(kMonth, 7).size(), kRawSampleSize);
  EXPECT_EQ(trace.joined(), "UPS::Shutdown stat_core\n");
}

// Another user plants a link inside the archive: at the month, or at the year before the month
// exists. Nothing is written or created through it, and the trace says why.
TEST_F(Recorder, NothingIsWrittenThroughALinkPlantedInsideTheArchive) {
  for (const std::string link : {"C:\\stats\\2008\\3", "C:\\stats\\2008"}) {
    SCOPED_TRACE(link);
    files_ = MemoryStatFiles{};
    files_.add_directory("C:");
    files_.add_directory(kRoot);
    if (link.size() > std::strlen("C:\\stats\\2008")) files_.add_directory("C:\\stats\\2008");
    files_.plant_link(link);
    recorder_.reset();
    config_.raw = true;
    platform::TraceCapture trace;
    poll(0);
    poll(1000);
    EXPECT_EQ(recorder().add_event(1, "Служба ИБП запущена\n"), 0);
    recorder().flush();
    for (DayFile kind : {DayFile::kSummary, DayFile::kRaw, DayFile::kEvents})
      EXPECT_EQ(files_.writes_to(day_file_path(kMonth, 7, kind)), 0);
    EXPECT_FALSE(files_.has(day_file_path(kMonth, 7, DayFile::kEvents)));
    EXPECT_TRUE(trace.contains("UPS:stat link refused " + link + "\n"));
  }
}

// A root that existed before the recorder: one that others could change is made private before the
// first write, which the event file tells first; one that cannot be made private gets nothing,
// until the configuration is loaded again.
TEST_F(Recorder, AnExistingRootIsMadePrivateBeforeItsFirstWriteOrRecordingStops) {
  const std::string events = day_file_path(kMonth, 7, DayFile::kEvents);
  clock_.now = {2008, 3, 7, 5, 9, 3, 7, 0};
  files_.add_directory(kRoot);
  struct Case {
    RootAccess access;
    std::string lines;
  };
  const Case cases[] = {
      {RootAccess::kPrivate, "09:03:07|05|\xD1\xE1\xEE\xE9\n"},
      {RootAccess::kReset,
       "09:03:07|36|" + utf8_to_windows1251("Папку статистики C:\\stats могли изменять пользователи: её права доступа "
                                            "сброшены\n") +
           "09:03:07|05|\xD1\xE1\xEE\xE9\n"},
      {RootAccess::kRefused, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.access));
    files_.remove(events);
    files_.set_root_access(kRoot, c.access);
    recorder_.reset();
    platform::TraceCapture trace;
    recorder().add_event(5, "Сбой\n");
    EXPECT_EQ(files_.contents(events), c.lines);
    EXPECT_EQ(trace.contains("UPS::stat root C:\\stats refused: others can change it\n"),
              c.access == RootAccess::kRefused);
  }
  poll(0);
  poll(61000);
  recorder().flush();
  EXPECT_FALSE(files_.has(day_file_path(kMonth, 7, DayFile::kSummary))) << "nothing recorded in a refused root";

  files_.set_root_access(kRoot, RootAccess::kPrivate);
  ASSERT_TRUE(recorder().load_config());
  EXPECT_EQ(recorder().add_event(5, "Сбой\n"), 5) << "a load of the configuration tries again";
}

TEST_F(Recorder, EventLinesAreAppendedAsWindows1251) {
  clock_.now = {2008, 3, 7, 5, 9, 3, 7, 0};
  EXPECT_EQ(recorder().add_event(5, "Сбой\n"), 5);
  EXPECT_EQ(recorder().add_event(19, "AVR вкл\n"), 8);
  EXPECT_EQ(files_.contents(day_file_path(kMonth, 7, DayFile::kEvents)),
            "09:03:07|05|\xD1\xE1\xEE\xE9\n09:03:07|19|AVR \xE2\xEA\xEB\n");
}

TEST_F(Recorder, AnEventThatCannotBeWrittenReturnsZero) {
  files_.refuse_writes_to(day_file_path(kMonth, 7, DayFile::kEvents));
  EXPECT_EQ(recorder().add_event(2, "Останов мониторинга ИБП\n"), 0);
}

}  // namespace
}  // namespace stats
