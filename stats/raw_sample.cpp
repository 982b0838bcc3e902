#include "stats/raw_sample.h"

#include <cstring>

namespace stats {
namespace {

std::uint32_t tenths_of(float value) {
  const float scaled = value * 10.0f;
  if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
}

std::uint8_t byte_of(std::uint32_t bits) { return static_cast<std::uint8_t>(bits & 0xFF); }

}  // namespace

RawValues raw_values_from(const ups_link::UpsStatus& status, const platform::LocalTime& time) {
  RawValues v;
  v.hour = static_cast<std::uint32_t>(time.hour);
  v.minute = static_cast<std::uint32_t>(time.minute);
  v.tenths = static_cast<std::uint32_t>(time.second * 10 + time.millisecond / 100);
  v.input_x10 = tenths_of(status.input_voltage);
  v.output_x10 = tenths_of(status.output_voltage);
  v.frequency_x10 = tenths_of(status.frequency);
  v.load_percent = static_cast<std::uint32_t>(status.load_percent);
  v.battery_x10 = tenths_of(status.battery_voltage);
  v.temperature_x10 = tenths_of(status.temperature);
  v.status = status.status_bits;
  return v;
}

RawSample pack_raw_sample(const RawValues& v) {
  RawSample s;
  std::uint8_t* b = s.bytes;
  b[0] = byte_of((v.hour & 0x1F) | (v.temperature_x10 & 0x07) << 5);
  b[1] = byte_of((v.minute & 0x3F) | (v.tenths >> 8 & 0x03) << 6);
  b[2] = byte_of(v.tenths);
  b[3] = byte_of((v.input_x10 >> 6 & 0x7F) << 1);
  b[4] = byte_of((v.input_x10 & 0x3F) | (v.output_x10 >> 11 & 0x03) << 6);
  b[5] = byte_of(v.output_x10 >> 3);
  b[6] = byte_of((v.output_x10 & 0x07) | (v.frequency_x10 >> 5 & 0x1F) << 3);
  b[7] = byte_of((v.frequency_x10 & 0x1F) | (v.load_percent >> 7 & 0x07) << 5);
  b[8] = byte_of((v.load_percent & 0x7F) | (v.battery_x10 >> 9 & 0x01) << 7);
  b[9] = byte_of(v.battery_x10 >> 1);
  b[10] = byte_of((v.battery_x10 & 0x01) | (v.temperature_x10 >> 3 & 0x7F) << 1);
  b[11] = byte_of(v.status);
  return s;
}

RawValues unpack_raw_sample(const RawSample& s) {
  const std::uint8_t* b = s.bytes;
  RawValues v;
  v.hour = b[0] & 0x1Fu;
  v.minute = b[1] & 0x3Fu;
  v.tenths = (b[1] >> 6) << 8 | b[2];
  v.input_x10 = (b[3] >> 1) << 6 | (b[4] & 0x3Fu);
  v.output_x10 = (b[4] >> 6) << 11 | b[5] << 3 | (b[6] & 0x07u);
  v.frequency_x10 = (b[6] >> 3) << 5 | (b[7] & 0x1Fu);
  v.load_percent = (b[7] >> 5) << 7 | (b[8] & 0x7Fu);
  v.battery_x10 = (b[8] >> 7) << 9 | b[9] << 1 | (b[10] & 0x01u);
  v.temperature_x10 = (b[10] >> 1) << 3 | b[0] >> 5;
  v.status = b[11];
  return v;
}

RawSample raw_record_at(std::string_view file, std::size_t index) {
  RawSample s;
  std::memcpy(s.bytes, file.data() + index * kRawSampleSize, kRawSampleSize);
  return s;
}

}  // namespace stats
