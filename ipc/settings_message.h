// The settings record of MSG_SETTINGS: the option values of the tray's settings pages that the
// service takes over at once, without reading the registry.
//
// 55 bytes, packed, header included; the last field sits unaligned at offset 51. Read and write
// it only through a copy (to_message / settings_record_from), never by casting the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/core_settings.h"
#include "ipc/pipe_message.h"

namespace ipc {

#pragma pack(push, 1)
struct SettingsRecord {
  std::uint32_t size = 55;
  std::uint32_t cmd = MSG_SETTINGS;
  std::uint32_t shutdown_on_cap_battery_enable = 0;  // ShutdownOnCapBatteryEnable
  std::uint32_t shutdown_on_cap_battery_wait = 0;    // percent
  std::uint32_t shutdown_on_u_battery_enable = 0;    // ShutdownOnUBatteryEnable
  std::uint32_t shutdown_on_u_battery_wait = 0;      // tenths of a volt
  std::uint32_t signal_enable = 0;                   // beeper wanted
  std::uint32_t signal_time_enable = 0;              // beeper time window enabled
  std::int32_t signal_window_start = 0;              // minutes after midnight
  std::int32_t signal_window_end = 0;                // minutes after midnight
  std::uint32_t turn_ups_on_enable = 0;
  std::uint32_t turn_ups_on_wait = 0;                // minutes
  std::int8_t key_led_enable = 0;
  std::int8_t key_led_num = 0;                       // LED choice 0, 1 or 2
  std::int8_t wait_ba_enable = 0;
  std::uint32_t wait_ba_wait = 0;                    // seconds
};
#pragma pack(pop)

inline constexpr std::uint32_t kSettingsMessageSize = 55;

static_assert(std::is_standard_layout_v<SettingsRecord> && std::is_trivially_copyable_v<SettingsRecord>);
static_assert(sizeof(SettingsRecord) == kSettingsMessageSize);
static_assert(offsetof(SettingsRecord, size) == 0);
static_assert(offsetof(SettingsRecord, cmd) == 4);
static_assert(offsetof(SettingsRecord, shutdown_on_cap_battery_enable) == 8);
static_assert(offsetof(SettingsRecord, shutdown_on_cap_battery_wait) == 12);
static_assert(offsetof(SettingsRecord, shutdown_on_u_battery_enable) == 16);
static_assert(offsetof(SettingsRecord, shutdown_on_u_battery_wait) == 20);
static_assert(offsetof(SettingsRecord, signal_enable) == 24);
static_assert(offsetof(SettingsRecord, signal_time_enable) == 28);
static_assert(offsetof(SettingsRecord, signal_window_start) == 32);
static_assert(offsetof(SettingsRecord, signal_window_end) == 36);
static_assert(offsetof(SettingsRecord, turn_ups_on_enable) == 40);
static_assert(offsetof(SettingsRecord, turn_ups_on_wait) == 44);
static_assert(offsetof(SettingsRecord, key_led_enable) == 48);
static_assert(offsetof(SettingsRecord, key_led_num) == 49);
static_assert(offsetof(SettingsRecord, wait_ba_enable) == 50);
static_assert(offsetof(SettingsRecord, wait_ba_wait) == 51);

// The record as a message ready to write.
PipeMessage to_message(const SettingsRecord& record);

// The record carried by `message`; false unless it is a MSG_SETTINGS of exactly 55 bytes.
bool settings_record_from(const PipeMessage& message, SettingsRecord& record);

// The fourteen settings of the monitoring core as the record gives them: the signed bytes widened
// to 32 bits, the LED choice turned into its indicator flag (0 -> 1, 1 -> 2, 2 -> 4, else 0), the
// numbers limited to the settings pages' ranges (thresholds 0..100 % and 50..1000 tenths of a
// volt, restore 1..9999 minutes, wait before action 0..120 s, window minutes 0..1439).
core::CoreSettings core_settings_from(const SettingsRecord& record);

}  // namespace ipc
