#include "statsheet/archive_generator.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/event_texts.h"
#include "link/ups_status.h"
#include "platform/side_effects.h"
#include "stats/archive_paths.h"
#include "stats/automation_date.h"
#include "stats/event_line.h"
#include "stats/raw_sample.h"
#include "stats/sample_totals.h"
#include "stats/stat_core.h"
#include "stats/summary_file.h"
#include "stats/windows1251.h"

namespace statsheet {
namespace {

using namespace ups_link;
namespace event = core::event;

constexpr int kDaySeconds = 86400;
constexpr float kUpsVa = 600.0f;
constexpr int kCriticalCapacity = 20;  // the capacity threshold, percent
constexpr int kStopAfterCritical = 3;  // seconds from the critical point to monitoring stopped

// splitmix64: the same sequence on every build, unlike the standard library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int between(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool chance(int percent) { return between(0, 99) < percent; }

 private:
  std::uint64_t state_;
};

enum class Kind { failure, avr, link_lost, test };

struct Episode {
  Kind kind;
  int start, end;  // seconds of the day, end exclusive
  int input_x10;   // AVR: the mains voltage it corrects
};

// Monitoring runs on from the day before unless that day stopped early (a workstation switched
// off in the evening, or a critical shutdown); then it starts in the morning, at `fresh_on`.
// Whether a day stops early must not depend on where it started, so that a day can be made
// without the days before it: failures that can reach the critical point come after the latest
// morning start, and each failure begins on a charged battery.
constexpr int kLatestMorning = 10 * 3600;

struct DayPlan {
  int fresh_on = 0;       // the first poll after a night off
  int off = kDaySeconds;  // after the last poll; kDaySeconds: on into the next day
  int poll_ms = 0;        // where in the second the polls fall
  int input_x10 = 2300;
  int load_percent = 25;
  int runtime_s = 900;    // battery time at that load
  int temperature_x10 = 270;
  std::vector<Episode> episodes;
};

DayPlan plan_day(const ArchivePlan& archive, const CalendarDate& d) {
  Random random(std::uint64_t{archive.seed} << 32 | static_cast<std::uint64_t>(d.year * 10000 + d.month * 100 + d.day));
  DayPlan p;
  p.poll_ms = random.between(0, 999);
  if (random.chance(12)) {  // a workstation's day: switched off in the evening
    p.fresh_on = random.between(7 * 3600, kLatestMorning);
    p.off = random.between(17 * 3600, 23 * 3600);
  } else {
    p.fresh_on = random.between(6 * 3600, 9 * 3600);  // a server started again by its administrator
  }
  p.input_x10 = random.between(2200, 2330);
  p.load_percent = random.between(12, 45);
  p.runtime_s = 1500 - p.load_percent * 20;
  p.temperature_x10 = random.between(220, 300);

  // Episodes end before the day's last poll, so that no state runs on into the next day.
  const int last = p.off - 1;
  auto add = [&](Kind kind, int earliest, int shortest, int longest, int input_x10) {
    const int length = random.between(shortest, longest);
    const int start = random.between(earliest, std::max(earliest, last - length));
    const int end = std::min(start + length, last);
    if (end > start) p.episodes.push_back({kind, start, end, input_x10});
  };
  const int failures = random.chance(archive.failure_day_percent) ? (random.chance(25) ? 2 : 1) : 0;
  for (int i = 0; i < failures; ++i) {
    const int kind = random.between(0, 99);
    if (kind < 70)
      add(Kind::failure, 1, 2, 60, 0);  // a blip
    else if (kind < 95)
      add(Kind::failure, kLatestMorning + 1, 60, 600, 0);  // may outlast the battery at a high load
    else
      add(Kind::failure, kLatestMorning + 1, 900, 2400, 0);  // outlasts it
  }
  if (random.chance(archive.avr_day_percent)) {
    const int engagements = random.between(1, 4);
    for (int i = 0; i < engagements; ++i)
      add(Kind::avr, 1, 10, 2400, random.chance(50) ? random.between(1900, 1990) : random.between(2500, 2560));
  }
  if (random.chance(2)) add(Kind::link_lost, 1, 5, 300, 0);
  if (d.day == 1 && 10 * 3600 + 10 < last) p.episodes.push_back({Kind::test, 36000, 36010, 0});
  return p;
}

std::optional<CalendarDate> neighbour_day(const CalendarDate& d, int direction) {
  CalendarDate next{d.year, d.month, d.day + direction};
  if (is_valid_date(next)) return next;
  const std::optional<YearMonth> month = add_months({d.year, d.month}, direction);
  if (!month) return std::nullopt;
  return CalendarDate{month->year, month->month, direction > 0 ? 1 : stats::days_in_month(month->year, month->month)};
}

platform::LocalTime local_time(const CalendarDate& d, int second, int millisecond) {
  return {d.year, d.month, d.day, day_of_week(d), second / 3600, second / 60 % 60, second % 60, millisecond};
}

platform::LocalTime at_second(platform::LocalTime day, int second) {
  day.hour = second / 3600;
  day.minute = second / 60 % 60;
  day.second = second % 60;
  return day;
}

// The message as the core formats it before the recorder gets it. The formats are the core's
// own event table, whose arguments the callers below match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string message(const event::Text* text, ...) {
  char line[512];
  std::va_list args;
  va_start(args, text);
  std::vsnprintf(line, sizeof line, text->format, args);
  va_end(args);
  return line;
}
#pragma GCC diagnostic pop

struct DayFiles {
  stats::StatSummary totals{};
  std::string raw;
  std::string events;
  std::uint64_t raw_records = 0;
  std::uint64_t event_lines = 0;
  bool ran_to_midnight = true;  // monitoring went on into the next day
};

// One day of the recorder, poll by poll: what the monitoring core would have logged and what
// stat_core would have counted and stored.
class DaySimulation {
 public:
  DaySimulation(const CalendarDate& date, const DayPlan& plan, std::uint32_t raw_rate, bool events)
      : date_(date), midnight_(local_time(date, 0, plan.poll_ms)), plan_(plan), raw_rate_(raw_rate), events_(events) {}

  DayFiles run(bool fresh_start) {
    const int on = fresh_start ? plan_.fresh_on : 0;
    int off = plan_.off;
    std::uint32_t answered = 0;
    for (int t = on; t < off; ++t) {
      const platform::LocalTime now = at_second(midnight_, t);
      if (t == on && fresh_start) {
        log(now, event::kServiceStarted);
        continue;  // the first poll only starts the recorder's clock
      }
      const bool link_up = !active(Kind::link_lost, t);
      const UpsStatus status = poll(t, link_up);
      if (link_up) {
        log_changes(now, status.status_bits);
      } else if (!link_lost_) {
        link_lost_ = true;
        log(now, event::kNoLink);
      }
      stats::count_sample(files_.totals, previous_, 1.0, link_up, status.status_bits,
                          static_cast<float>(status.load_percent) / 100.0f * kUpsVa);
      if (link_up && raw_rate_ != 0 && ++answered % raw_rate_ == 0) {
        const stats::RawSample sample = stats::pack_raw_sample(stats::raw_values_from(status, now));
        files_.raw.append(reinterpret_cast<const char*>(sample.bytes), stats::kRawSampleSize);
        ++files_.raw_records;
      }
      // The stop falls within the day: an action belongs to the day of its critical point.
      if (critical_) off = std::min({off, t + kStopAfterCritical + 1, kDaySeconds - 1});
    }
    stop(off);
    files_.ran_to_midnight = off == kDaySeconds;
    files_.totals.stamp = stats::stamp_from_local_time(last_write(off));
    return std::move(files_);
  }

 private:
  bool active(Kind kind, int t) const {
    for (const Episode& e : plan_.episodes)
      if (e.kind == kind && e.start <= t && t < e.end) return true;
    return false;
  }
  int avr_input(int t) const {
    for (const Episode& e : plan_.episodes)
      if (e.kind == Kind::avr && e.start <= t && t < e.end) return e.input_x10;
    return 0;
  }

  UpsStatus poll(int t, bool link_up) {
    const int wobble = static_cast<int>(static_cast<unsigned>(t) * 2654435761u >> 28) - 8;  // -8..7
    const bool on_battery = active(Kind::failure, t);
    const bool avr = !on_battery && active(Kind::avr, t);
    used_s_ = on_battery ? used_s_ + 1 : 0;
    const int capacity = 100 - used_s_ * 100 / plan_.runtime_s;
    if (on_battery && link_up && capacity < kCriticalCapacity && !critical_) critical_capacity_ = capacity;

    UpsStatus s;
    s.input_voltage = on_battery ? 0.0f : (avr ? avr_input(t) : plan_.input_x10 + wobble * 2) / 10.0f;
    s.output_voltage = on_battery || avr ? (2200 + wobble) / 10.0f : s.input_voltage;
    s.frequency = on_battery ? 50.0f : (500 + wobble / 4) / 10.0f;
    const float discharged = static_cast<float>(used_s_) / static_cast<float>(plan_.runtime_s);
    s.battery_voltage = on_battery ? 13.0f - 2.0f * discharged : (136 + wobble / 8) / 10.0f;
    s.temperature = (plan_.temperature_x10 + t / 1800 + wobble / 4) / 10.0f;
    s.load_percent = plan_.load_percent + wobble / 4;
    if (on_battery) s.status_bits |= STATUS_UTILITY_FAIL | STATUS_BEEPER_ON;
    if (on_battery && capacity < kCriticalCapacity) s.status_bits |= STATUS_BATTERY_LOW;
    if (avr) s.status_bits |= STATUS_AVR;
    if (!on_battery && active(Kind::test, t)) s.status_bits |= STATUS_TEST;
    return s;
  }

  void log_changes(const platform::LocalTime& now, std::uint32_t bits) {
    const bool on_battery = (bits & STATUS_UTILITY_FAIL) != 0;
    const bool avr = (bits & STATUS_AVR) != 0;
    if (link_lost_) log(now, event::kLinkRestored);
    link_lost_ = false;
    if (on_battery && !seen_battery_) log(now, event::kOnBattery);
    if (!on_battery && seen_battery_) log(now, event::kPowerRestored);
    if (avr && !seen_avr_) log(now, event::kAvrOn);
    if (!avr && seen_avr_) log(now, event::kAvrOff);
    seen_battery_ = on_battery;
    seen_avr_ = avr;
    if (critical_capacity_ && !critical_) {
      critical_ = true;
      log(now, event::kCapacityThreshold, *critical_capacity_, kCriticalCapacity);
      log(now, event::kCriticalPoint, "да");
      log(now, event::kCriticalAction, "выключение");
    }
  }

  // The day file's last write: at monitoring stop, or at the first poll after midnight.
  platform::LocalTime last_write(int off) const {
    if (off < kDaySeconds) return at_second(midnight_, off);
    const std::optional<CalendarDate> next = neighbour_day(date_, 1);
    return next ? local_time(*next, 0, plan_.poll_ms) : at_second(midnight_, kDaySeconds - 1);
  }

  void stop(int off) {
    if (off == kDaySeconds) return;
    const platform::LocalTime now = at_second(midnight_, off);
    if (critical_) {
      files_.totals.actions = stats::wrapping_sum(files_.totals.actions, 1);
      log(now, event::kMonitoringStopped);
      log(now, event::kShutdownByAction, 1);
    } else {
      log(now, event::kShutdownByUser, 0);
      log(now, event::kMonitoringStopped);
    }
  }

  template <typename... Args>
  void log(const platform::LocalTime& now, const event::Text& text, Args... args) {
    if (!events_) return;
    const std::string line = message(&text, args...);
    files_.events += stats::build_event_line(now, text.code, stats::utf8_to_windows1251(line)).bytes;
    ++files_.event_lines;
  }

  CalendarDate date_;
  platform::LocalTime midnight_;
  const DayPlan& plan_;
  std::uint32_t raw_rate_;
  bool events_;
  DayFiles files_;
  stats::PreviousFlags previous_;
  int used_s_ = 0;  // battery seconds of the current failure
  std::optional<int> critical_capacity_;
  bool critical_ = false;
  bool seen_battery_ = false;
  bool seen_avr_ = false;
  bool link_lost_ = false;
};

DayFiles simulate_day(const ArchivePlan& archive, const CalendarDate& date, bool fresh_start) {
  const DayPlan plan = plan_day(archive, date);
  return DaySimulation(date, plan, archive.raw_rate, archive.events).run(fresh_start);
}

// Whether monitoring went on from the day before into `day`. Where the day before started does not
// change that (see DayPlan), so it is simulated as a fresh start, without files.
bool continued_from_day_before(const ArchivePlan& archive, const CalendarDate& day) {
  const std::optional<CalendarDate> before = neighbour_day(day, -1);
  if (!before) return false;
  ArchivePlan quiet = archive;
  quiet.raw_rate = 0;
  quiet.events = false;
  return simulate_day(quiet, *before, true).ran_to_midnight;
}

bool write_day_file(stats::StatFiles& files, const std::string& root, const std::string& path,
                    const stats::StatSummary& totals) {
  const std::unique_ptr<stats::StatFile> file = files.open_for_writing(root, path, stats::OpenMode::kCreateOrTruncate);
  return file && stats::write_summary(*file, totals);
}

bool write_whole(stats::StatFiles& files, const std::string& root, const std::string& path, const std::string& bytes,
                 std::size_t batch) {
  const std::unique_ptr<stats::StatFile> file = files.open_for_writing(root, path, stats::OpenMode::kCreateOrTruncate);
  if (!file) return false;
  for (std::size_t at = 0; at < bytes.size(); at += batch)
    if (!file->write(bytes.data() + at, std::min(batch, bytes.size() - at))) return false;
  return true;
}

// The directories the recorder would have made for the month; false when one is missing after.
bool make_month_directory(stats::StatFiles& files, const std::string& root, const CalendarDate& d) {
  if (!files.directory_exists(root)) files.create_root_directory(root);
  for (const std::string& path : {stats::year_directory(root, d.year), stats::month_directory(root, d.year, d.month)})
    if (!files.directory_exists(path) && !files.create_directory(path)) return false;
  return true;
}

}  // namespace

ArchiveReport generate_archive(stats::StatFiles& files, const ArchivePlan& plan) {
  ArchiveReport report;
  if (!is_valid_date(plan.first_day) || !is_valid_date(plan.last_day) || plan.last_day < plan.first_day)
    return report;
  report.complete = true;
  bool continued = continued_from_day_before(plan, plan.first_day);
  for (std::optional<CalendarDate> day = plan.first_day; day && *day <= plan.last_day; day = neighbour_day(*day, 1)) {
    const DayFiles day_files = simulate_day(plan, *day, !continued);
    continued = day_files.ran_to_midnight;

    const std::string prefix = stats::month_prefix(plan.root, day->year, day->month);
    bool written = make_month_directory(files, plan.root, *day);
    written = written && write_day_file(files, plan.root,
                                        stats::day_file_path(prefix, day->day, stats::DayFile::kSummary),
                                        day_files.totals);
    if (written && !day_files.raw.empty())
      written = write_whole(files, plan.root, stats::day_file_path(prefix, day->day, stats::DayFile::kRaw),
                            day_files.raw, stats::kRawBufferRecords * stats::kRawSampleSize);
    if (written && !day_files.events.empty())
      written = write_whole(files, plan.root, stats::day_file_path(prefix, day->day, stats::DayFile::kEvents),
                            day_files.events, day_files.events.size());
    report.complete = report.complete && written;
    if (!written) continue;

    ++report.days;
    report.raw_records += day_files.raw_records;
    report.event_lines += day_files.event_lines;
    stats::add_totals(report.totals, day_files.totals);
    report.days_with_failures += day_files.totals.failures != 0;
    report.days_with_actions += day_files.totals.actions != 0;
    report.days_with_avr += day_files.totals.avr_engagements != 0;
  }
  return report;
}

}  // namespace statsheet
