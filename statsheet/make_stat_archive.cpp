// make_stat_archive: writes a realistic statistics archive on this machine's disk, for the
// benchmarks and for looking at the statistics pages with years of data.
//
//   make_stat_archive ROOT FIRST LAST [SEED [RAW_RATE]]
//
// FIRST and LAST are dates as YYYY-MM-DD; ROOT's parent must exist. RAW_RATE 1 stores a raw sample
// every second (about 1 MiB a day), the default 60 one a minute, 0 none.
#include <charconv>
#include <cstdio>
#include <string_view>

#include "statsheet/archive_generator.h"
#include "stats/stat_files_native.h"

namespace {

bool parse_number(std::string_view text, std::uint32_t& value) {
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool parse_date(std::string_view text, statsheet::CalendarDate& date) {
  std::uint32_t year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !parse_number(text.substr(0, 4), year) ||
      !parse_number(text.substr(5, 2), month) || !parse_number(text.substr(8, 2), day))
    return false;
  date = {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
  return statsheet::is_valid_date(date);
}

}  // namespace

int main(int argc, char** argv) {
  statsheet::ArchivePlan plan;
  const bool parsed = argc >= 4 && argc <= 6 && parse_date(argv[2], plan.first_day) &&
                      parse_date(argv[3], plan.last_day) && (argc < 5 || parse_number(argv[4], plan.seed)) &&
                      (argc < 6 || parse_number(argv[5], plan.raw_rate));
  if (!parsed || plan.last_day < plan.first_day) {
    std::fprintf(stderr, "usage: make_stat_archive ROOT FIRST LAST [SEED [RAW_RATE]]  (dates YYYY-MM-DD)\n");
    return 2;
  }
  plan.root = argv[1];
  stats::NativeStatFiles files;
  const statsheet::ArchiveReport report = statsheet::generate_archive(files, plan);
  std::printf("%d days, %llu raw samples, %llu event lines; %d days with failures, %d with actions, %d with AVR\n",
              report.days, static_cast<unsigned long long>(report.raw_records),
              static_cast<unsigned long long>(report.event_lines), report.days_with_failures,
              report.days_with_actions, report.days_with_avr);
  if (!report.complete) std::fprintf(stderr, "make_stat_archive: some files could not be written below %s\n", argv[1]);
  return report.complete ? 0 : 1;
}
