#include "perf/perf_image.h"

namespace perf {
namespace {

// Counters 1, 2 and 4 count tenths of a volt: shown in volts.
constexpr std::int32_t kDefaultScales[kCounterCount] = {-1, -1, 0, -1, 0, 0, 0, 0, 0};

// Counter type 0: a raw 32-bit count, shown as it is.
constexpr std::uint32_t kRawCount = 0;

PerfCounterDefinition definition(std::uint32_t k, std::uint32_t first_counter, std::uint32_t first_help) {
  PerfCounterDefinition d{};
  d.byte_length = kCounterDefinitionLength;
  d.counter_name_title_index = first_counter + 2 * k;
  d.counter_help_title_index = first_help + 2 * k;
  d.default_scale = kDefaultScales[k - 1];
  d.counter_type = kRawCount;
  d.counter_size = sizeof(std::uint32_t);
  d.counter_offset = static_cast<std::uint32_t>(sizeof(std::uint32_t) * k);
  return d;
}

}  // namespace

PerfImage prepare_image(std::uint32_t first_counter, std::uint32_t first_help) {
  PerfImage image{};
  PerfObjectType& o = image.object;
  o.total_byte_length = kImageLength;
  o.definition_length = kDefinitionLength;
  o.header_length = kObjectHeaderLength;
  o.object_name_title_index = first_counter;
  o.object_help_title_index = first_help;
  o.num_counters = kCounterCount;
  o.num_instances = -1;
  for (std::uint32_t k = 1; k <= kCounterCount; ++k) image.counters[k - 1] = definition(k, first_counter, first_help);
  image.block.byte_length = kCounterBlockLength;
  return image;
}

PerfObjectType empty_object_header(const PerfImage& image) {
  PerfObjectType o = image.object;
  o.num_counters = 0;
  o.definition_length = o.header_length;
  o.total_byte_length = kEmptyObjectLength;
  return o;
}

}  // namespace perf
