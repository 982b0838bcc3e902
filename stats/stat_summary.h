// StatSummary: the 60-byte totals record of the statistics archive. One of them is a day file
// ("%d_ssd.dat"); the month, year and all-time summaries ("sum_ssd.dat") have the same layout and
// hold sums over their sources.
//
// The struct is the file format itself: little-endian, packed without padding (the energy double
// starts at offset 52), identical for 32- and 64-bit builds. Reading a file is a copy of 60 bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/side_effects.h"

namespace stats {

#pragma pack(push, 1)
// The Windows SYSTEMTIME layout, local time. Packed like the record that holds it, so that a
// reference to a stamp inside a summary is never misaligned.
struct StatTimeStamp {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day_of_week = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

struct StatSummary {
  StatTimeStamp stamp;              // day file: when it was last written; summaries: latest source
  double monitored_seconds = 0;     // total monitored time
  double on_battery_seconds = 0;
  std::int32_t failures = 0;        // entries into the on-battery state
  std::int32_t avr_engagements = 0; // entries into the AVR state
  double avr_seconds = 0;
  std::int32_t actions = 0;         // monitoring stopped while on battery or battery low
  double energy_va_minutes = 0;     // load VA times seconds, divided by 60
};
#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "the archive is little-endian");
static_assert(std::is_standard_layout_v<StatSummary> && std::is_trivially_copyable_v<StatSummary>);
static_assert(sizeof(StatTimeStamp) == 16);
static_assert(sizeof(StatSummary) == 60);
static_assert(offsetof(StatSummary, stamp) == 0);
static_assert(offsetof(StatSummary, monitored_seconds) == 16);
static_assert(offsetof(StatSummary, on_battery_seconds) == 24);
static_assert(offsetof(StatSummary, failures) == 32);
static_assert(offsetof(StatSummary, avr_engagements) == 36);
static_assert(offsetof(StatSummary, avr_seconds) == 40);
static_assert(offsetof(StatSummary, actions) == 48);
static_assert(offsetof(StatSummary, energy_va_minutes) == 52);

StatTimeStamp stamp_from_local_time(const platform::LocalTime& time);

// Counters wrap like the 32-bit integers they are: summed garbage must not be undefined.
std::int32_t wrapping_sum(std::int32_t a, std::int32_t b);

// Adds every total of `source` to `into`; the stamp of `into` is left alone.
void add_totals(StatSummary& into, const StatSummary& source);

}  // namespace stats
