// Fuzz target: the statistics sheet over a day whose files any user may have damaged (the input
// split as stats/test_fuzz_day_files.h says). Every page's texts come out; the export has one
// ASCII line per whole record; the events' lines all end in carriage return and line feed for
// the edit control.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/test_side_effects.h"
#include "statsheet/day_page.h"
#include "statsheet/sample_texts.h"
#include "statsheet/sheet_texts.h"
#include "stats/raw_sample.h"
#include "stats/stat_reader.h"
#include "stats/test_fuzz_day_files.h"

namespace {

constexpr statsheet::CalendarDate kDay{stats::testing::kFuzzYear, stats::testing::kFuzzMonth,
                                       stats::testing::kFuzzDay};

void check_export(const std::string& raw) {
  std::string csv;
  statsheet::write_csv_export(raw, ',', [&](std::string_view piece) {
    csv.append(piece);
    return true;
  });
  if (static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) != stats::raw_record_count(raw.size()))
    __builtin_trap();
  for (char c : csv)
    if (static_cast<unsigned char>(c) > 0x7F) __builtin_trap();
}

void check_events(const std::string& events) {
  const std::string text = statsheet::edit_control_text(events);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    if (at == 0 || text[at - 1] != '\r') __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::RecordingSideEffects clock;
  clock.now = {2024, 6, 20, 4, 12, 0, 0, 0};
  stats::MemoryStatFiles files;
  if (!stats::testing::put_fuzz_day_files(data, size, files)) return 0;

  stats::stat_reader reader(files, [] { return stats::StatConfig{true, true, 1, false, stats::testing::kFuzzRoot}; });
  reader.load_path();
  reader.update_all();
  statsheet::year_page_rows(reader, kDay.year, ',');
  statsheet::month_page_rows(reader, kDay.year, ',');
  statsheet::day_information_text(reader, kDay, ',');
  statsheet::DayCellCache cells(reader);
  cells.draw(6, 2, kDay.year, kDay.month, kDay.day);
  const std::string read_raw = reader.read_raw(kDay.year, kDay.month, kDay.day).value_or("");
  for (std::size_t i = 0; i < stats::raw_record_count(read_raw.size()); ++i)
    for (int column = 0; column < statsheet::kSampleColumnCount; ++column)
      statsheet::sample_cell_text(stats::unpack_raw_sample(stats::raw_record_at(read_raw, i)), column, ',');
  check_export(read_raw);
  check_events(reader.read_events(kDay.year, kDay.month, kDay.day).value_or(""));
  return 0;
}
