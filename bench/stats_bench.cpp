// The statistics archive on real files (native file layer):
//   - stat_reader::update_all over ten years of day files (with raw and event files beside them),
//     cold (every summary missing) and when everything is current;
//   - reading and decoding a full day's raw file, 86,400 samples;
//   - stat_core::add_sample per call, raw samples on, at one poll a second.
// The archive is made once in the temporary directory and reused by later runs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/test_side_effects.h"
#include "stats/archive_paths.h"
#include "stats/automation_date.h"
#include "stats/raw_sample.h"
#include "stats/stat_core.h"
#include "stats/stat_files_native.h"
#include "stats/stat_reader.h"
#include "stats/test_stat_clock.h"

namespace {

namespace fs = std::filesystem;
using namespace stats;

constexpr int kLastYear = 2024;
constexpr int kYears = 10;
constexpr int kRawRecordsPerDay = 100;  // enough to make the directories realistic, small on disk

const fs::path kArchive = fs::temp_directory_path() / "orvik_stats_bench_archive";

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string day_summary_bytes(int year, int month, int day) {
  StatSummary s{};
  s.stamp = stamp_from_local_time({year, month, day, 0, 23, 59, 30, 0});
  s.monitored_seconds = 86400;
  s.failures = 1;
  s.energy_va_minutes = 100000;
  return std::string(reinterpret_cast<const char*>(&s), sizeof s);
}

std::string raw_day_bytes(int records) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(records) * kRawSampleSize);
  for (int i = 0; i < records; ++i) {
    const RawValues v{static_cast<std::uint32_t>(i / 3600 % 24), static_cast<std::uint32_t>(i / 60 % 60),
                      static_cast<std::uint32_t>(i % 60 * 10), 2300, 2290, 500, 17, 136, 250, 0};
    const RawSample s = pack_raw_sample(v);
    bytes.append(reinterpret_cast<const char*>(s.bytes), kRawSampleSize);
  }
  return bytes;
}

const fs::path& ten_year_archive() {
  const fs::path complete = kArchive / "complete";
  if (fs::exists(complete)) return kArchive;
  fs::remove_all(kArchive);
  const std::string raw = raw_day_bytes(kRawRecordsPerDay);
  for (int year = kLastYear - kYears + 1; year <= kLastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const fs::path dir = kArchive / std::to_string(year) / std::to_string(month);
      fs::create_directories(dir);
      for (int day = 1; day <= days_in_month(year, month); ++day) {
        const std::string name = std::to_string(day);
        write_file(dir / (name + "_ssd.dat"), day_summary_bytes(year, month, day));
        write_file(dir / (name + "_raw.dat"), raw);
        write_file(dir / (name + "_log.dat"), "09:03:07|01|service started\n");
      }
    }
  }
  write_file(complete, "");
  return kArchive;
}

void remove_summaries(const fs::path& root) {
  fs::remove(root / "sum_ssd.dat");
  for (int year = kLastYear - kYears + 1; year <= kLastYear; ++year) {
    fs::remove(root / std::to_string(year) / "sum_ssd.dat");
    for (int month = 1; month <= 12; ++month)
      fs::remove(root / std::to_string(year) / std::to_string(month) / "sum_ssd.dat");
  }
}

struct ReaderSetup {
  ReaderSetup() : reader(files, [] { return StatConfig{true, false, 1, false, ten_year_archive().string()}; }) {
    clock.now = {kLastYear, 12, 31, 2, 23, 59, 59, 0};
    reader.load_path();
  }
  platform::RecordingSideEffects clock;
  NativeStatFiles files;
  stat_reader reader;
};

void BM_UpdateAllCold(benchmark::State& state) {
  ReaderSetup setup;
  for (auto _ : state) {
    state.PauseTiming();
    remove_summaries(ten_year_archive());
    state.ResumeTiming();
    benchmark::DoNotOptimize(setup.reader.update_all());
  }
}
BENCHMARK(BM_UpdateAllCold)->Unit(benchmark::kMillisecond);

void BM_UpdateAllWhenCurrent(benchmark::State& state) {
  ReaderSetup setup;
  setup.reader.update_all();
  for (auto _ : state) benchmark::DoNotOptimize(setup.reader.update_all());
}
BENCHMARK(BM_UpdateAllWhenCurrent)->Unit(benchmark::kMillisecond);

void BM_ReadAndDecodeFullDay(benchmark::State& state) {
  ReaderSetup setup;
  const fs::path day = ten_year_archive() / "2024" / "6";
  write_file(day / "30_raw.dat", raw_day_bytes(86400));
  for (auto _ : state) {
    const std::optional<std::string> raw = setup.reader.read_raw(2024, 6, 30);
    std::uint32_t checksum = 0;
    for (std::size_t i = 0; i < raw_record_count(raw->size()); ++i)
      checksum += unpack_raw_sample(raw_record_at(*raw, i)).input_x10;
    benchmark::DoNotOptimize(checksum);
  }
  write_file(day / "30_raw.dat", raw_day_bytes(kRawRecordsPerDay));
  state.SetItemsProcessed(state.iterations() * 86400);
}
BENCHMARK(BM_ReadAndDecodeFullDay)->Unit(benchmark::kMillisecond);

void BM_AddSample(benchmark::State& state) {
  const fs::path root = fs::temp_directory_path() / "orvik_stats_bench_recorder";
  fs::remove_all(root);
  platform::RecordingSideEffects clock;
  clock.now = {kLastYear, 6, 15, 6, 0, 0, 0, 0};
  NativeStatFiles files;
  {
    stat_core recorder(files, [&] { return StatConfig{true, true, 1, false, root.string()}; });
    recorder.load_config();
    ups_link::UpsStatus status;
    status.input_voltage = 230.0f;
    status.load_percent = 17;
    for (auto _ : state) {
      advance_clock(clock, 1000);
      recorder.add_sample(true, status, 120.0f, false);
    }
  }
  fs::remove_all(root);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddSample);

}  // namespace

BENCHMARK_MAIN();
