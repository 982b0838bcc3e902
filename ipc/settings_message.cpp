#include "ipc/settings_message.h"

#include <algorithm>
#include <cstring>

namespace ipc {
namespace {

std::uint32_t widened(std::int8_t value) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(value)); }

// The ranges of the settings pages' up-down controls. The record comes from another process, so
// a value outside them is limited as the page would have limited it.
std::uint32_t limited(std::uint32_t value, std::uint32_t low, std::uint32_t high) { return std::clamp(value, low, high); }

constexpr int kLastMinuteOfDay = 24 * 60 - 1;
int minute_of_day(std::int32_t value) { return std::clamp(value, 0, kLastMinuteOfDay); }

}  // namespace

PipeMessage to_message(const SettingsRecord& record) {
  PipeMessage message;
  std::memcpy(static_cast<void*>(&message), &record, sizeof record);
  return message;
}

bool settings_record_from(const PipeMessage& message, SettingsRecord& record) {
  if (message.cmd != MSG_SETTINGS || message.size != kSettingsMessageSize) return false;
  std::memcpy(static_cast<void*>(&record), &message, sizeof record);
  return true;
}

core::CoreSettings core_settings_from(const SettingsRecord& record) {
  core::CoreSettings settings;
  settings.signal_enable = record.signal_enable;
  settings.shutdown_on_cap_battery_enable = record.shutdown_on_cap_battery_enable;
  settings.shutdown_on_cap_battery_wait = limited(record.shutdown_on_cap_battery_wait, 0, 100);
  settings.shutdown_on_u_battery_enable = record.shutdown_on_u_battery_enable;
  settings.shutdown_on_u_battery_wait = limited(record.shutdown_on_u_battery_wait, 50, 1000);
  settings.signal_time_enable = record.signal_time_enable;
  settings.signal_window_start = minute_of_day(record.signal_window_start);
  settings.signal_window_end = minute_of_day(record.signal_window_end);
  settings.turn_ups_on_enable = record.turn_ups_on_enable;
  settings.turn_ups_on_wait = limited(record.turn_ups_on_wait, 1, 9999);
  settings.wait_ba_enable = widened(record.wait_ba_enable);
  settings.wait_ba_wait = limited(record.wait_ba_wait, 0, 120);
  settings.key_led_enable = widened(record.key_led_enable);
  settings.key_led_mask = core::key_led_mask_from_index(widened(record.key_led_num));
  return settings;
}

}  // namespace ipc
