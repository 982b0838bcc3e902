// A realistic statistics archive for tests, benchmarks and the pages' development: years of day
// files with raw samples and event lines, as the recorder would have left them after running
// through those days. Every byte is made by the recorder's own code: the poll bookkeeping
// (count_sample), the raw record packing, the event line builder with its Windows-1251 text, the
// summary writer and the archive's paths, written through the StatFiles seam. Month, year and
// all-time summaries are not written: building them is the readers' job.
//
// What a day holds is drawn from `seed` and the date alone, so a day's files are the same
// whatever range they were made in. Most days are monitored around the clock; a workstation's day
// ends in the evening, and after a day that stopped early monitoring starts again in the morning.
// Days may have power failures (short blips, a few minutes, or long enough to reach the critical
// point, which counts an action and stops monitoring for the rest of the day), AVR engagements,
// a lost link, and a battery test on the first of the month.
//
// Not thread-safe with other writers of the same archive; otherwise any thread.
#pragma once

#include <cstdint>
#include <string>

#include "statsheet/calendar_date.h"
#include "stats/stat_files.h"
#include "stats/stat_summary.h"

namespace statsheet {

struct ArchivePlan {
  std::string root;            // the archive root, an archive path; its parent must exist
  CalendarDate first_day;
  CalendarDate last_day;       // inclusive
  std::uint32_t seed = 1;
  std::uint32_t raw_rate = 60; // a raw sample every rate-th answered poll (one a second); 0: none
  bool events = true;
  int failure_day_percent = 10;  // days with power failures
  int avr_day_percent = 20;      // days with AVR engagements
};

struct ArchiveReport {
  bool complete = false;          // the plan was valid and every file was written
  int days = 0;                   // day files written
  std::uint64_t raw_records = 0;
  std::uint64_t event_lines = 0;
  stats::StatSummary totals{};    // the sum of the day files written (no stamp)
  int days_with_failures = 0;
  int days_with_actions = 0;
  int days_with_avr = 0;
};

// Writes (or overwrites) the day files of every day from first_day to last_day. An invalid date
// or a range backwards writes nothing.
ArchiveReport generate_archive(stats::StatFiles& files, const ArchivePlan& plan);

}  // namespace statsheet
