// The recorder and the readers on a real archive in the prefix: Win32 files in a temporary
// folder, the configuration in a scratch registry key, the clock injected through the seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry_win.h"
#include "platform/test_security_win.h"
#include "platform/test_wine_env_win.h"
#include "stats/archive_paths.h"
#include "stats/log_event.h"
#include "stats/stat_config_win.h"
#include "stats/stat_core.h"
#include "stats/stat_files_win.h"
#include "stats/stat_reader.h"
#include "stats/test_stat_clock.h"
#include "stats/windows1251.h"

namespace stats {
namespace {

// Packed summary fields are read by value (unary +) where gtest would bind a reference to them.

std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class WineArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    root_ = std::string(temp) + "orvik_stats_" + std::to_string(GetCurrentProcessId());
    std::filesystem::remove_all(root_);
    key_path_ = "SOFTWARE\\OrvikTest\\stats_" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path_.c_str(), 0, nullptr, 0, platform::kKeyReadWrite,
                              nullptr, key_.receive(), nullptr),
              ERROR_SUCCESS);
    platform::write_dword_value(key_.get(), "stat_on", 1);
    platform::write_dword_value(key_.get(), "stat_data", 1);
    platform::write_string_value(key_.get(), "stat_path", root_.c_str());
    clock_.now = {2024, 2, 29, 4, 23, 59, 58, 500};
  }
  void TearDown() override {
    recorder_.reset();
    key_.reset();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_path_.c_str());
    std::filesystem::remove_all(root_);
  }

  StatConfigLoader loader() {
    return [path = key_path_] { return load_stat_config_from_registry(path.c_str()); };
  }
  stat_core& recorder() {
    if (!recorder_) {
      recorder_ = std::make_unique<stat_core>(files_, loader());
      EXPECT_TRUE(recorder_->load_config());
    }
    return *recorder_;
  }
  void poll(std::uint32_t ms) {
    advance_clock(clock_, ms);
    ups_link::UpsStatus status;
    status.input_voltage = 230.0f;
    status.frequency = 50.0f;
    recorder().add_sample(true, status, 120.0f, false);
  }
  std::string day_path(int year, int month, int day, DayFile kind) {
    return day_file_path(month_prefix(root_, year, month), day, kind);
  }
  StatSummary summary_at(const std::string& path) {
    StatSummary s{};
    const std::string bytes = file_bytes(path);
    EXPECT_EQ(bytes.size(), sizeof s) << path;
    std::memcpy(&s, bytes.data(), std::min(bytes.size(), sizeof s));
    return s;
  }

  std::string root_;
  std::string key_path_;
  platform::UniqueKey key_;
  platform::RecordingSideEffects clock_;
  Win32StatFiles files_;
  std::unique_ptr<stat_core> recorder_;
};

TEST_F(WineArchive, MidnightClosesTheOldDayAndTheReadersSumBothMonths) {
  poll(0);
  poll(1000);  // 23:59:59.500
  poll(1000);  // 1 March 00:00:00.500
  poll(1000);
  recorder().flush();

  const StatSummary leap_day = summary_at(day_path(2024, 2, 29, DayFile::kSummary));
  EXPECT_EQ(+leap_day.monitored_seconds, 1);
  EXPECT_EQ(+leap_day.stamp.month, 3) << "the last write is stamped in the new day";
  EXPECT_EQ(+leap_day.stamp.day, 1);
  EXPECT_EQ(+leap_day.stamp.day_of_week, 5);
  EXPECT_DOUBLE_EQ(+leap_day.energy_va_minutes, 2.0);
  EXPECT_EQ(+summary_at(day_path(2024, 3, 1, DayFile::kSummary)).monitored_seconds, 2);
  EXPECT_EQ(file_bytes(day_path(2024, 2, 29, DayFile::kRaw)).size(), kRawSampleSize);
  EXPECT_EQ(file_bytes(day_path(2024, 3, 1, DayFile::kRaw)).size(), 2 * kRawSampleSize);

  stat_reader reader(files_, loader());
  ASSERT_TRUE(reader.load_path());
  ASSERT_TRUE(reader.update_all());
  StatSummary year{};
  ASSERT_TRUE(reader.read_year_summary(2024, year));
  EXPECT_EQ(+year.monitored_seconds, 3);
  EXPECT_EQ(+year.stamp.day, 1);
  EXPECT_EQ(+year.stamp.month, 3);
}

TEST_F(WineArchive, ATornRawRecordIsContinuedAtTheLastWholeRecordWhileTheWindowReadsIt) {
  CreateDirectoryA(root_.c_str(), nullptr);
  CreateDirectoryA(year_directory(root_, 2024).c_str(), nullptr);
  CreateDirectoryA(month_directory(root_, 2024, 2).c_str(), nullptr);
  const std::string whole(2 * kRawSampleSize, '\x11');
  write_file(day_path(2024, 2, 29, DayFile::kRaw), whole + "\x22\x22\x22\x22\x22");
  poll(0);
  poll(1000);
  recorder().flush();  // the raw file stays open in the recorder

  stat_reader reader(files_, loader());
  ASSERT_TRUE(reader.load_path());
  const std::optional<std::string> raw = reader.read_raw(2024, 2, 29);
  ASSERT_TRUE(raw) << "the recorder shares its open file for reading";
  ASSERT_EQ(raw->size(), 3 * kRawSampleSize);
  EXPECT_EQ(raw->substr(0, whole.size()), whole);
  const RawValues newest = unpack_raw_sample(raw_record_at(*raw, 2));
  EXPECT_EQ(newest.input_x10, 2300u);
  EXPECT_EQ(newest.tenths, 595u);
}

TEST_F(WineArchive, SummariesAreRebuiltAfterTheDayFileIsRewritten) {
  clock_.now = {2024, 6, 15, 6, 10, 0, 0, 0};
  poll(0);
  poll(1000);
  recorder().flush();
  stat_reader reader(files_, loader());
  ASSERT_TRUE(reader.load_path());
  ASSERT_TRUE(reader.update_all());
  EXPECT_TRUE(reader.all_is_current());

  poll(1000);
  advance_clock(clock_, 1000);  // the day file's stamp is now later than the summaries'
  recorder().flush();
  EXPECT_FALSE(reader.month_is_current(2024, 6));
  EXPECT_FALSE(reader.year_is_current(2024));
  EXPECT_FALSE(reader.all_is_current());
  ASSERT_TRUE(reader.update_all());
  EXPECT_TRUE(reader.all_is_current());
  StatSummary month{};
  ASSERT_TRUE(reader.read_month_summary(2024, 6, month));
  EXPECT_EQ(+month.monitored_seconds, 2);
}

TEST_F(WineArchive, EventLinesAreWindows1251BytesOnDisk) {
  clock_.now = {2024, 6, 15, 6, 9, 3, 7, 0};
  EXPECT_EQ(recorder().add_event(5, "Сбой в питании, переход на батарею\n"), 35);
  EXPECT_EQ(recorder().add_event(21, "Выключение по ёмкости. Текущая:%d, Порог:%d\n"), 44);
  EXPECT_EQ(file_bytes(day_path(2024, 6, 15, DayFile::kEvents)),
            "09:03:07|05|\xD1\xE1\xEE\xE9 \xE2 \xEF\xE8\xF2\xE0\xED\xE8\xE8, \xEF\xE5\xF0\xE5\xF5\xEE\xE4 "
            "\xED\xE0 \xE1\xE0\xF2\xE0\xF0\xE5\xFE\n"
            "09:03:07|21|\xC2\xFB\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5 \xEF\xEE \xB8\xEC\xEA\xEE\xF1\xF2\xE8. "
            "\xD2\xE5\xEA\xF3\xF9\xE0\xFF:%d, \xCF\xEE\xF0\xEE\xE3:%d\n");
}

// The one path every other part takes: log_event through the process's recorder, configured from
// the service's own Config key (restored afterwards; a fresh prefix has no statistics values).
TEST_F(WineArchive, LogEventWritesThroughTheProcessRecorder) {
  platform::UniqueKey config;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, platform::kConfigKeyPath, 0, nullptr, 0, platform::kKeyReadWrite,
                            nullptr, config.receive(), nullptr),
            ERROR_SUCCESS);
  platform::write_dword_value(config.get(), "stat_on", 1);
  platform::write_string_value(config.get(), "stat_path", root_.c_str());
  clock_.now = {2024, 6, 15, 6, 9, 3, 7, 0};
  const bool loaded = process_stat_core().load_config();
  const int written = log_event(7, "Активирую выключение ИБП через %d сек\n", 60);
  RegDeleteValueA(config.get(), "stat_on");
  RegDeleteValueA(config.get(), "stat_path");
  process_stat_core().load_config();

  ASSERT_TRUE(loaded);
  EXPECT_EQ(written, 68);
  EXPECT_EQ(file_bytes(day_path(2024, 6, 15, DayFile::kEvents)),
            "09:03:07|07|\xC0\xEA\xF2\xE8\xE2\xE8\xF0\xF3\xFE \xE2\xFB\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5 "
            "\xC8\xC1\xCF \xF7\xE5\xF0\xE5\xE7 60 \xF1\xE5\xEA\n");
}

// A second name given to a file of the archive (a hard link, which any user may make to a file they
// can read): neither the recorder's append nor the statistics window's rewrite of a summary goes
// through it, and the other file is not even emptied.
TEST_F(WineArchive, ASecondNameGivenToAnArchiveFileIsNeverWrittenThrough) {
  clock_.now = {2024, 6, 15, 6, 9, 3, 7, 0};
  ASSERT_EQ(recorder().add_event(1, "Служба ИБП запущена\n"), 20) << "the month's folder is made";
  const std::string precious = root_ + "_precious.txt";
  write_file(precious, "precious\n");
  struct Planted {
    std::string name;
    std::function<bool()> write;
  };
  stat_reader reader(files_, loader());
  ASSERT_TRUE(reader.load_path());
  const Planted cases[] = {
      {day_path(2024, 6, 16, DayFile::kEvents),
       [&] {
         clock_.now.day = 16;
         return recorder().add_event(1, "Служба ИБП запущена\n") != 0;
       }},
      {year_summary_path(root_, 2024), [&] { return reader.update_year(2024); }},
  };
  for (const Planted& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CreateHardLinkA(c.name.c_str(), precious.c_str(), nullptr)) << GetLastError();
    EXPECT_FALSE(c.write());
    EXPECT_EQ(file_bytes(precious), "precious\n");
  }
  DeleteFileA(precious.c_str());
}

// A root the administrator chose that others may change (under Wine: whose Unix mode lets others
// write) is made the archive's own before the first line, which says so.
TEST_F(WineArchive, AnExistingRootOthersMayChangeIsMadePrivateBeforeTheFirstWrite) {
  // Set after making it: Wine makes a folder with the process's umask, which takes others' write.
  platform::testing::PlantedSecurity everyone_may_change(nullptr, "(A;OICI;FA;;;WD)");
  ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
  ASSERT_TRUE(SetFileSecurityA(root_.c_str(), DACL_SECURITY_INFORMATION,
                               everyone_may_change.attributes()->lpSecurityDescriptor));
  auto everyone = [&] {
    platform::UniqueHandle root(CreateFileA(root_.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const auto entries = platform::testing::dacl_entries(root.get(), SE_FILE_OBJECT);
    for (const platform::testing::AceEntry& entry : entries.value_or(std::vector<platform::testing::AceEntry>{}))
      if (entry.sid == "S-1-1-0") return entry.mask;
    return DWORD{0};
  };
  ASSERT_NE(everyone() & FILE_ADD_FILE, 0u) << "Wine shows the planted list";
  clock_.now = {2024, 6, 15, 6, 9, 3, 7, 0};
  EXPECT_EQ(recorder().add_event(1, "Служба ИБП запущена\n"), 20);
  EXPECT_EQ(everyone() & (FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | WRITE_DAC), 0u);
  const std::string events = file_bytes(day_path(2024, 6, 15, DayFile::kEvents));
  EXPECT_EQ(events.substr(0, 12), "09:03:07|36|") << events;
  EXPECT_NE(events.find(stats::utf8_to_windows1251("могли изменять пользователи: её права доступа сброшены\n")),
            std::string::npos);
}

// Run by tools/wine/planted_links.sh, which first plants root\2031\5 as a link to a folder beside
// the root, as a user could plant a junction.
TEST_F(WineArchive, ALinkPlantedAtTheMonthLeavesNothingWrittenOutsideTheRoot) {
  const std::string planted = platform::testing::env("ORVIK_PLANTED_LINK");
  if (planted.empty()) GTEST_SKIP() << "needs the link that planted_links_win_test plants";
  const std::string base = platform::testing::wine_path(planted);
  platform::write_string_value(key_.get(), "stat_path", (base + "\\root").c_str());
  clock_.now = {2031, 5, 10, 6, 12, 0, 0, 0};
  poll(0);
  poll(1000);
  EXPECT_EQ(recorder().add_event(1, "Служба ИБП запущена\n"), 0);
  recorder().flush();
  recorder_.reset();
  stat_reader reader(files_, loader());
  ASSERT_TRUE(reader.load_path());
  EXPECT_FALSE(reader.update_month(2031, 5)) << "the statistics window's rewrite neither";

  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((base + "\\outside\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::string> names;
  do {
    if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
      names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  EXPECT_TRUE(names.empty()) << names.front();
}

}  // namespace
}  // namespace stats
