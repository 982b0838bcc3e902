#include "core/core_settings.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/config_value_names.h"

namespace core {
namespace {

namespace names = config_value;

constexpr std::size_t kSignalTimeBufferSize = 50;
constexpr char kEmptySignalTime[] = "00:00-00:00";

std::uint32_t read_or_repair_dword(ConfigStore& store, const char* name) {
  std::uint32_t value = 0;
  if (store.read_dword(name, value)) return value;
  store.write_dword(name, 0);
  return 0;
}

struct DwordPair {
  std::uint32_t enable = 0;
  std::uint32_t wait = 0;
};

// Both halves are read before either is repaired: a half-present pair is zeroed as a whole,
// in the registry and in memory, so a feature never runs with a made-up threshold.
DwordPair read_or_repair_pair(ConfigStore& store, const char* enable_name, const char* wait_name) {
  DwordPair pair;
  const bool enable_read = store.read_dword(enable_name, pair.enable);
  const bool wait_read = store.read_dword(wait_name, pair.wait);
  if (enable_read && wait_read) return pair;
  store.write_dword(enable_name, 0);
  store.write_dword(wait_name, 0);
  return {};
}

// Saturates instead of overflowing on absurd hours typed into the registry by hand.
int minutes_of_day(int hour, int minute) {
  const long long minutes = hour * 60LL + minute;
  return static_cast<int>(std::clamp<long long>(minutes, INT_MIN, INT_MAX));
}

struct SignalWindow {
  int start = 0;
  int end = 0;
};

// Text that does not give four numbers is treated (and repaired) as "00:00-00:00",
// so the window is always defined.
SignalWindow read_or_repair_signal_time(ConfigStore& store) {
  char text[kSignalTimeBufferSize];
  int start_hour = 0, start_minute = 0, end_hour = 0, end_minute = 0;
  if (store.read_string(names::kSignalTime, text, sizeof text) &&
      std::sscanf(text, "%d:%d-%d:%d", &start_hour, &start_minute, &end_hour, &end_minute) == 4) {
    return {minutes_of_day(start_hour, start_minute), minutes_of_day(end_hour, end_minute)};
  }
  store.write_string(names::kSignalTime, kEmptySignalTime);
  return {};
}

bool read_names(ConfigStore& store, SettingsLoadResult& result) {
  return store.read_string(names::kModel, result.model, sizeof result.model) &&
         store.read_string(names::kVendor, result.vendor, sizeof result.vendor);
}

}  // namespace

std::uint32_t key_led_mask_from_index(std::uint32_t key_led_num) {
  switch (key_led_num) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    default: return 0;
  }
}

SettingsLoadResult load_settings(ConfigStore& store, CoreSettings& settings) {
  SettingsLoadResult result;
  if (!read_names(store, result)) return result;
  result.names_found = true;

  CoreSettings loaded;
  loaded.signal_enable = read_or_repair_dword(store, names::kSignalEnable);
  const DwordPair cap = read_or_repair_pair(store, names::kShutdownOnCapBatteryEnable,
                                            names::kShutdownOnCapBatteryWait);
  loaded.shutdown_on_cap_battery_enable = cap.enable;
  loaded.shutdown_on_cap_battery_wait = cap.wait;
  const DwordPair voltage = read_or_repair_pair(store, names::kShutdownOnUBatteryEnable,
                                                names::kShutdownOnUBatteryWait);
  loaded.shutdown_on_u_battery_enable = voltage.enable;
  loaded.shutdown_on_u_battery_wait = voltage.wait;
  loaded.signal_time_enable = read_or_repair_dword(store, names::kSignalTimeEnable);
  read_or_repair_dword(store, names::kTrayTempInfo);  // the tray's value; the core only ensures it
  const SignalWindow window = read_or_repair_signal_time(store);
  loaded.signal_window_start = window.start;
  loaded.signal_window_end = window.end;
  read_or_repair_dword(store, names::kTurnUpsOffEnable2);  // re-read by the watchers when needed
  const DwordPair turn_on = read_or_repair_pair(store, names::kTurnUpsOnEnable, names::kTurnUpsOnWait);
  loaded.turn_ups_on_enable = turn_on.enable;
  loaded.turn_ups_on_wait = turn_on.wait;
  const DwordPair wait_ba = read_or_repair_pair(store, names::kWaitBaEnable, names::kWaitBaWait);
  loaded.wait_ba_enable = wait_ba.enable;
  loaded.wait_ba_wait = wait_ba.wait;
  const DwordPair key_led = read_or_repair_pair(store, names::kKeyLedEnable, names::kKeyLedNum);
  loaded.key_led_enable = key_led.enable;
  loaded.key_led_mask = key_led_mask_from_index(key_led.wait);

  settings = loaded;
  return result;
}

}  // namespace core
