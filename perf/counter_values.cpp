#include "perf/counter_values.h"

#include <cmath>

namespace perf {
namespace {

constexpr std::uint32_t kOn = 100;  // "on" of the on/off counters, 100 %

std::uint32_t on_off(bool on) { return on ? kOn : 0; }

}  // namespace

std::int32_t tenths(float value) {
  // The product rounded to float is exact for every reading of one decimal (the product carried
  // in double would truncate 229.9 to 2298). An x87 build keeps excess precision in registers:
  // the store through volatile rounds it.
  volatile float product = value * 10.0f;
  return truncated(product);
}

std::int32_t truncated(float value) {
  if (std::isnan(value)) return 0;
  // A float beyond the 32-bit range has no defined conversion.
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

PerfCounterBlock counter_block(const ipc::UpsSharedBlock& block) {
  const ups_link::UpsStatus& s = block.status;
  PerfCounterBlock b{};
  b.byte_length = kCounterBlockLength;
  b.values[0] = static_cast<std::uint32_t>(tenths(s.input_voltage));
  b.values[1] = static_cast<std::uint32_t>(tenths(s.output_voltage));
  b.values[2] = static_cast<std::uint32_t>(s.load_percent);
  b.values[3] = static_cast<std::uint32_t>(tenths(s.battery_voltage));
  b.values[4] = on_off(s.status_bits & ups_link::STATUS_AVR);
  b.values[5] = static_cast<std::uint32_t>(truncated(s.temperature));
  b.values[6] = block.link_ok * kOn;
  b.values[7] = on_off(s.status_bits & ups_link::STATUS_UTILITY_FAIL);
  b.values[8] = 0;  // reserved
  return b;
}

}  // namespace perf
