// UpsStatus: one parsed status line, laid out as the 32 bytes the shared block carries.
//
// The field order is the block's, not the line's: the line gives load before frequency,
// battery voltage and temperature. The layout is fixed for 32- and 64-bit readers alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ups_link {

struct UpsStatus {
  float input_voltage = 0;        // volts
  float input_fault_voltage = 0;  // volts; kept, not interpreted
  float output_voltage = 0;       // volts
  float frequency = 0;            // hertz
  float battery_voltage = 0;      // volts
  float temperature = 0;          // degrees Celsius
  std::int32_t load_percent = 0;
  std::uint32_t status_bits = 0;  // STATUS_* below; bits 8-31 always clear
};

static_assert(std::is_standard_layout_v<UpsStatus> && std::is_trivially_copyable_v<UpsStatus>);
static_assert(sizeof(UpsStatus) == 32);
static_assert(offsetof(UpsStatus, input_voltage) == 0);
static_assert(offsetof(UpsStatus, input_fault_voltage) == 4);
static_assert(offsetof(UpsStatus, output_voltage) == 8);
static_assert(offsetof(UpsStatus, frequency) == 12);
static_assert(offsetof(UpsStatus, battery_voltage) == 16);
static_assert(offsetof(UpsStatus, temperature) == 20);
static_assert(offsetof(UpsStatus, load_percent) == 24);
static_assert(offsetof(UpsStatus, status_bits) == 28);

// Status bit masks; the line's bit string names bit 7 first.
inline constexpr std::uint32_t STATUS_UTILITY_FAIL = 1u << 7;
inline constexpr std::uint32_t STATUS_BATTERY_LOW = 1u << 6;
inline constexpr std::uint32_t STATUS_AVR = 1u << 5;
inline constexpr std::uint32_t STATUS_UPS_FAULT = 1u << 4;
inline constexpr std::uint32_t STATUS_LINE_INTERACTIVE = 1u << 3;
inline constexpr std::uint32_t STATUS_TEST = 1u << 2;
inline constexpr std::uint32_t STATUS_SHUTDOWN_ACTIVE = 1u << 1;
inline constexpr std::uint32_t STATUS_BEEPER_ON = 1u << 0;

}  // namespace ups_link
