// StatConfig: the five statistics values of the service's Config key, as the recorder and the
// readers use them, and the rules by which they are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/config_store.h"

namespace stats::config_value {
inline constexpr char kStatOn[] = "stat_on";
inline constexpr char kStatData[] = "stat_data";
inline constexpr char kStatRate[] = "stat_rate";
inline constexpr char kStatFlushForce[] = "stat_flushforce";
inline constexpr char kStatPath[] = "stat_path";
}  // namespace stats::config_value

namespace stats {

// "stat_path" holds at most 255 characters.
constexpr std::size_t kStatPathBufferSize = 256;

struct StatConfig {
  bool on = false;           // totals and events are recorded
  bool raw = false;          // raw samples are recorded
  std::uint32_t rate = 1;    // a raw sample every rate-th poll that answered; at least 1
  bool flush_force = false;  // on battery, everything is written through at once
  std::string path;          // the archive root; empty: nothing is recorded
};

// A missing or unreadable value takes the default setup writes (stat_on, stat_data and
// stat_flushforce 0, stat_rate 1, stat_path empty). A rate below 1, read as the signed number the
// settings page stores, counts as 1. With an empty path recording is off whatever stat_on says.
StatConfig read_stat_config(core::ConfigStore& store);

// Opens the Config key and reads the values; nothing when the key cannot be opened.
using StatConfigLoader = std::function<std::optional<StatConfig>()>;

}  // namespace stats
