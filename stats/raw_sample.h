// RawSample: one 12-byte, bit-packed sample of the measured values, as stored in a day's raw file
// ("%d_raw.dat", a plain concatenation of records). The record carries the time of day only;
// the date is the file's.
//
// Bit layout, byte 0 first (bit 0 is the least significant):
//   byte  0  bits 0-4 hour              bits 5-7 temperature x10, bits 0-2
//   byte  1  bits 0-5 minute            bits 6-7 tenths, bits 8-9
//   byte  2  tenths, bits 0-7
//   byte  3  bit 0 always 0             bits 1-7 input voltage x10, bits 6-12
//   byte  4  bits 0-5 input x10, 0-5    bits 6-7 output voltage x10, bits 11-12
//   byte  5  output x10, bits 3-10
//   byte  6  bits 0-2 output x10, 0-2   bits 3-7 frequency x10, bits 5-9
//   byte  7  bits 0-4 frequency x10,0-4 bits 5-7 load percent, bits 7-9
//   byte  8  bits 0-6 load, bits 0-6    bit 7 battery voltage x10, bit 9
//   byte  9  battery x10, bits 1-8
//   byte 10  bit 0 battery x10, bit 0   bits 1-7 temperature x10, bits 3-9
//   byte 11  status bits 0-7 of UpsStatus
// Widths: voltages 13 bits, frequency, battery, temperature and load 10, tenths 10 (second x10 +
// milliseconds / 100), hour 5, minute 6, status 8. Only the low bits of a value are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "link/ups_status.h"
#include "platform/side_effects.h"

namespace stats {

struct RawSample {
  std::uint8_t bytes[12] = {};
};
static_assert(sizeof(RawSample) == 12 && alignof(RawSample) == 1, "records are written back to back");
static_assert(std::is_trivially_copyable_v<RawSample>);

constexpr std::size_t kRawSampleSize = sizeof(RawSample);

// The fields of a sample as integers; measured values in tenths (load in percent).
struct RawValues {
  std::uint32_t hour = 0;
  std::uint32_t minute = 0;
  std::uint32_t tenths = 0;  // time within the minute, 0..599
  std::uint32_t input_x10 = 0;
  std::uint32_t output_x10 = 0;
  std::uint32_t frequency_x10 = 0;
  std::uint32_t load_percent = 0;
  std::uint32_t battery_x10 = 0;
  std::uint32_t temperature_x10 = 0;
  std::uint32_t status = 0;

  bool operator==(const RawValues&) const = default;
};

// Values times 10 in single precision, truncated toward zero; a value beyond any integer counts as
// 0. Negative values keep their two's-complement low bits, as the record stores them.
RawValues raw_values_from(const ups_link::UpsStatus& status, const platform::LocalTime& time);

RawSample pack_raw_sample(const RawValues& values);
RawValues unpack_raw_sample(const RawSample& sample);

// Whole records in a raw file of `file_size` bytes; a record still being written is left out.
constexpr std::size_t raw_record_count(std::size_t file_size) { return file_size / kRawSampleSize; }

// Record `index` (below raw_record_count) of a raw file's contents.
RawSample raw_record_at(std::string_view file, std::size_t index);

}  // namespace stats
