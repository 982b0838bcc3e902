#include "stats/stat_core.h"

#include <cstdio>
#include <utility>

#include "core/event_texts.h"
#include "platform/debug_trace.h"
#include "stats/archive_paths.h"
#include "stats/event_line.h"
#include "stats/summary_file.h"
#include "stats/windows1251.h"

namespace stats {
namespace {

// The day file is rewritten after this much counted time, so a crash loses at most a minute.
constexpr double kDayFileInterval = 60.0;

bool append(StatFile& file, const std::string& bytes) {
  std::uint64_t end = 0;
  return file.size(end) && file.seek(end) && file.write(bytes.data(), bytes.size());
}

}  // namespace

stat_core::stat_core(StatFiles& files, StatConfigLoader config_loader)
    : files_(files), config_loader_(std::move(config_loader)) {
  raw_buffer_.reserve(kRawBufferRecords);
}

stat_core::~stat_core() {
  std::lock_guard guard(lock_);
  close_raw_file();
  if (trace_at_unload_) debug_trace("UPS::Shutdown stat_core\n");
}

bool stat_core::load_config() {
  debug_trace("UPS::stat_core::load_config()\n");
  std::optional<StatConfig> loaded = config_loader_();
  if (!loaded) return false;

  std::lock_guard guard(lock_);
  flush();
  const bool same_archive = !config_.path.empty() && loaded->path == config_.path && loaded->on;
  config_ = std::move(*loaded);
  if (same_archive) return true;

  // A new root: the reset date makes the next sample close the old day before using the new one.
  root_ready_ = false;
  month_prefix_.clear();
  year_ = month_ = day_ = 0;
  raw_buffer_.clear();
  if (!config_.on) {
    close_day();
    previous_ = {};
  }
  return true;
}

void stat_core::add_sample(bool link_up, const ups_link::UpsStatus& status, float load_va, bool suspended) {
  std::lock_guard guard(lock_);
  if (!config_.on) return;
  const platform::LocalTime now = platform::side_effects().local_time();
  if (enter_date(now)) close_day();
  if (!config_.on) return;  // its root was refused
  const bool force = config_.flush_force && (status.status_bits & ups_link::STATUS_UTILITY_FAIL) != 0;

  double dt = 0;
  if (!elapsed_seconds(dt)) return;
  if (summary_path_.empty()) load_day_totals(now.day);
  if (dt > kLongestCountedStep || suspended) dt = 0;
  count_sample(day_totals_, previous_, dt, link_up, status.status_bits, load_va);

  seconds_since_written_ += dt;
  if (force || seconds_since_written_ > kDayFileInterval) {
    seconds_since_written_ = 0;
    write_day_file();
  }

  if (link_up && config_.raw) record_raw_sample(status, now, force);
}

void stat_core::flush() {
  std::lock_guard guard(lock_);
  write_day_file();
  if (!raw_file_) return;
  write_raw_buffer();
  raw_file_->flush_to_disk();
}

int stat_core::add_event(int code, std::string_view text) {
  std::lock_guard guard(lock_);
  if (!config_.on) return 0;
  const platform::LocalTime now = platform::side_effects().local_time();
  const std::string path = day_file_path(create_month_directory(now.year, now.month), now.day, DayFile::kEvents);
  const EventLine line = build_event_line(now, code, utf8_to_windows1251(text));
  const std::unique_ptr<StatFile> file = open_in_month(now.year, now.month, path);
  if (!file || !append(*file, line.bytes)) return 0;
  return static_cast<int>(line.message_length);
}

void stat_core::add_action() {
  std::lock_guard guard(lock_);
  day_totals_.actions = wrapping_sum(day_totals_.actions, 1);
}

void stat_core::trace_at_unload() {
  std::lock_guard guard(lock_);
  trace_at_unload_ = true;
}

// True when the date differs from the last sample's; a new month also gets its directory.
bool stat_core::enter_date(const platform::LocalTime& now) {
  if (now.year == year_ && now.month == month_) {
    if (now.day == day_) return false;
    day_ = now.day;
    return true;
  }
  year_ = now.year;
  month_ = now.month;
  day_ = now.day;
  month_prefix_ = create_month_directory(year_, month_);
  return true;
}

// The root is the administrator's choice, but it may be a folder that others can change: one that
// existed is made private before the first write, and where that fails recording stops until the
// next load_config. A root made here is private from the start. False while it cannot be used.
bool stat_core::prepare_root() {
  if (root_ready_) return true;
  const bool made_here = !files_.directory_exists(config_.path) && files_.create_root_directory(config_.path);
  const RootAccess access = made_here ? RootAccess::kPrivate : files_.secure_root(config_.path);
  if (access == RootAccess::kMissing) return false;
  if (access == RootAccess::kRefused) {
    debug_trace("UPS::stat root %s refused: others can change it\n", config_.path.c_str());
    config_.on = false;
    return false;
  }
  root_ready_ = true;
  if (access == RootAccess::kReset) {
    debug_trace("UPS::stat root %s reset: others could change it\n", config_.path.c_str());
    record_root_reset();
  }
  return true;
}

void stat_core::record_root_reset() {
  char text[kEventBufferSize];
  std::snprintf(text, sizeof text, core::event::kArchiveRootReset.format, config_.path.c_str());
  add_event(core::event::kArchiveRootReset.code, text);
}

// Creates the root, year and month directories that are missing (not the root's parents);
// a failure shows later, when the file in it cannot be created. Nothing is created through a
// link planted at the year.
std::string stat_core::create_month_directory(int year, int month) {
  if (prepare_root()) {
    const std::string year_path = year_directory(config_.path, year);
    create_level(year_path);
    if (!files_.is_link(year_path)) create_level(month_directory(config_.path, year, month));
  }
  return month_prefix(config_.path, year, month);
}

void stat_core::create_level(const std::string& path) {
  if (!files_.directory_exists(path)) files_.create_directory(path);
}

// Every file written below the root is opened here. The root is the administrator's choice and may
// itself be a link; a link at the year or month, planted by another user, would take the service's
// writes outside the archive.
std::unique_ptr<StatFile> stat_core::open_in_month(int year, int month, const std::string& path) {
  if (!root_ready_) return nullptr;
  for (const std::string& folder : {year_directory(config_.path, year), month_directory(config_.path, year, month)}) {
    if (files_.is_link(folder)) {
      debug_trace("UPS:stat link refused %s\n", folder.c_str());
      return nullptr;
    }
  }
  return files_.open_for_writing(config_.path, path, OpenMode::kOpenOrCreate);
}

// The old day gets its last write, stamped already in the new day.
void stat_core::close_day() {
  close_raw_file();
  write_day_file();
  summary_path_.clear();
}

// Seconds since the previous sample; false for the first one, which only starts the clock.
bool stat_core::elapsed_seconds(double& dt) {
  const std::uint32_t tick = platform::side_effects().tick_count();
  const std::uint32_t last = std::exchange(last_tick_, tick);
  if (last == 0) return false;
  dt = static_cast<std::uint32_t>(tick - last) * 0.001;
  return true;
}

// After a restart on the same day the totals continue from the day file.
void stat_core::load_day_totals(int day) {
  summary_path_ = day_file_path(month_prefix_, day, DayFile::kSummary);
  if (!read_summary_file(files_, summary_path_, day_totals_)) day_totals_ = StatSummary{};
}

void stat_core::write_day_file() {
  if (summary_path_.empty()) return;
  const std::unique_ptr<StatFile> file = open_in_month(year_, month_, summary_path_);
  if (!file) return;
  day_totals_.stamp = stamp_from_local_time(platform::side_effects().local_time());
  write_summary(*file, day_totals_);
}

void stat_core::record_raw_sample(const ups_link::UpsStatus& status, const platform::LocalTime& now, bool force) {
  if (!raw_file_) open_raw_file(now.day);
  ++poll_count_;
  if (!raw_file_ || poll_count_ % config_.rate != 0) return;
  raw_buffer_.push_back(pack_raw_sample(raw_values_from(status, now)));
  if (raw_buffer_.size() < kRawBufferRecords && !force) return;
  write_raw_buffer();
  if (force) raw_file_->flush_to_disk();
}

// Continues after the last whole record, so that a record torn by a crash is overwritten.
void stat_core::open_raw_file(int day) {
  std::unique_ptr<StatFile> file = open_in_month(year_, month_, day_file_path(month_prefix_, day, DayFile::kRaw));
  std::uint64_t size = 0;
  if (!file || !file->size(size) || !file->seek(size - size % kRawSampleSize)) {
    config_.raw = false;  // until the next load_config
    debug_trace("UPS:error create raw\n");
    return;
  }
  raw_file_ = std::move(file);
  raw_buffer_.clear();
}

void stat_core::write_raw_buffer() {
  if (raw_file_ && !raw_buffer_.empty()) raw_file_->write(raw_buffer_.data(), raw_buffer_.size() * kRawSampleSize);
  raw_buffer_.clear();
}

void stat_core::close_raw_file() {
  write_raw_buffer();
  raw_file_.reset();
}

}  // namespace stats
