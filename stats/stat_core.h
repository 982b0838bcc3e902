// stat_core: the statistics recorder of the service process.
//
// On every poll of the UPS it adds the elapsed time to the day's totals (a StatSummary kept in
// memory and written to the day file at least once a minute of counted time), stores every
// rate-th answered poll as a RawSample in the day's raw file (buffered, 600 records per write),
// and appends event lines to the day's event file on request. Everything goes into the archive
// of archive_paths.h below the configured root, dated by the local time of the side-effect seam.
//
// Thread-safe: one re-entrant lock guards all state and every file write; the polling thread,
// the pipe server, the power watchers and the driver calls share one recorder.
// Invariants: an open raw file is the one of the last sample's day; the buffer holds fewer than
// 600 records between calls, and only while a raw file is open.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link/ups_status.h"
#include "platform/side_effects.h"
#include "stats/raw_sample.h"
#include "stats/sample_totals.h"
#include "stats/stat_config.h"
#include "stats/stat_files.h"
#include "stats/stat_summary.h"

namespace stats {

// Raw samples are written in batches of this many records (about ten minutes at one poll a second).
constexpr std::size_t kRawBufferRecords = 600;

class stat_core {
 public:
  stat_core(StatFiles& files, StatConfigLoader config_loader);
  // Writes the buffered raw samples and closes the raw file; the day file was written by the
  // flush at monitoring stop.
  ~stat_core();
  stat_core(const stat_core&) = delete;
  stat_core& operator=(const stat_core&) = delete;

  // Flushes, then takes the configuration. A changed root takes effect at the next sample.
  // False when the Config key cannot be opened; then nothing changes.
  bool load_config();

  // One poll round. `link_up`: the UPS answered; `load_va`: the load's apparent power as
  // published in the shared block; `suspended`: the system is going to or coming from sleep, so
  // the step counts as a gap. Does nothing while recording is off.
  void add_sample(bool link_up, const ups_link::UpsStatus& status, float load_va, bool suspended);

  // Writes the day file and the buffered raw samples and forces the raw file to disk.
  void flush();

  // Appends one line to today's event file. `text` is UTF-8 and written as Windows-1251.
  // Returns the bytes of the message part written, 0 when nothing was written.
  int add_event(int code, std::string_view text);

  // Counts one action (monitoring stopped while on battery or battery low) in today's totals.
  void add_action();

  // Monitoring was started in this process: the recorder says so in the trace when destroyed.
  void trace_at_unload();

 private:
  bool enter_date(const platform::LocalTime& now);
  bool prepare_root();
  void record_root_reset();
  std::string create_month_directory(int year, int month);
  void create_level(const std::string& path);
  std::unique_ptr<StatFile> open_in_month(int year, int month, const std::string& path);
  void close_day();
  bool elapsed_seconds(double& dt);
  void load_day_totals(int day);
  void write_day_file();
  void record_raw_sample(const ups_link::UpsStatus& status, const platform::LocalTime& now, bool force);
  void open_raw_file(int day);
  void write_raw_buffer();
  void close_raw_file();

  std::recursive_mutex lock_;
  StatFiles& files_;
  StatConfigLoader config_loader_;
  StatConfig config_;

  bool root_ready_ = false;   // the root was created here or found private (or made so)
  std::string month_prefix_;  // current month's directory, trailing backslash
  int year_ = 0;
  int month_ = 0;
  int day_ = 0;

  std::unique_ptr<StatFile> raw_file_;
  std::vector<RawSample> raw_buffer_;
  std::uint32_t poll_count_ = 0;
  std::uint32_t last_tick_ = 0;

  StatSummary day_totals_{};
  PreviousFlags previous_;
  std::string summary_path_;  // today's day file; empty until the first step of the day
  double seconds_since_written_ = 0;
  bool trace_at_unload_ = false;
};

}  // namespace stats
