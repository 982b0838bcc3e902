// CoreSettings: the fourteen settings the monitoring core keeps in memory, and their loader.
//
// load_settings runs once per UPSInit. It reads the Config values in a fixed order and repairs
// the registry on the way: a missing or mistyped DWORD is written back as 0 (for an
// enable/wait pair, both are zeroed when either is bad), and an unreadable "SignalTime" is
// rewritten as "00:00-00:00". Settings messages from the tray later replace all fourteen at
// once without touching the registry. Not thread-safe; the caller owns the store.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/config_store.h"

namespace core {

struct CoreSettings {
  std::uint32_t signal_enable = 0;
  std::uint32_t shutdown_on_cap_battery_enable = 0;
  std::uint32_t shutdown_on_cap_battery_wait = 0;  // percent
  std::uint32_t shutdown_on_u_battery_enable = 0;
  std::uint32_t shutdown_on_u_battery_wait = 0;  // tenths of a volt
  std::uint32_t signal_time_enable = 0;
  int signal_window_start = 0;  // minutes of the day
  int signal_window_end = 0;    // minutes of the day
  std::uint32_t turn_ups_on_enable = 0;
  std::uint32_t turn_ups_on_wait = 0;  // minutes
  std::uint32_t wait_ba_enable = 0;
  std::uint32_t wait_ba_wait = 0;  // seconds
  std::uint32_t key_led_enable = 0;
  std::uint32_t key_led_mask = 0;  // keyboard indicator bits, see key_led_mask_from_index
};

// Both names are read into buffers of this size, terminator included.
constexpr std::size_t kNameBufferSize = 255;

struct SettingsLoadResult {
  // False when "Model" or "Vendor" could not be read; then nothing was written and the
  // settings were left as they were (UPSInit fails with result 4).
  bool names_found = false;
  char model[kNameBufferSize] = {};
  char vendor[kNameBufferSize] = {};
};

SettingsLoadResult load_settings(ConfigStore& store, CoreSettings& settings);

// KeyLedNum index → indicator bit: 0 Scroll Lock (1), 1 Num Lock (2), 2 Caps Lock (4), else none.
std::uint32_t key_led_mask_from_index(std::uint32_t key_led_num);

}  // namespace core
