// The performance-data layout a provider hands to the system's performance host: the object type
// header, the counter definitions and the counter block, and PerfImage, our object built of them.
//
// These are our own plain structures, so the image is built and tested natively;
// system_layout_check_win.h checks them field by field against the system's declarations in
// every Windows build. The system declares the two title fields of the header and of a definition
// as text pointers in its 32-bit form and as 32-bit words in its 64-bit form: both are 4 bytes
// wide and a provider always leaves them 0, so one layout with 32-bit words is both forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace perf {

inline constexpr std::size_t kCounterCount = 9;

struct PerfObjectType {
  std::uint32_t total_byte_length;
  std::uint32_t definition_length;
  std::uint32_t header_length;
  std::uint32_t object_name_title_index;
  std::uint32_t object_name_title;  // a text pointer in the 32-bit form; always 0
  std::uint32_t object_help_title_index;
  std::uint32_t object_help_title;  // likewise
  std::uint32_t detail_level;
  std::uint32_t num_counters;
  std::int32_t default_counter;
  std::int32_t num_instances;  // -1: an object without instances
  std::uint32_t code_page;
  std::int64_t perf_time;
  std::int64_t perf_freq;
};

struct PerfCounterDefinition {
  std::uint32_t byte_length;
  std::uint32_t counter_name_title_index;
  std::uint32_t counter_name_title;  // a text pointer in the 32-bit form; always 0
  std::uint32_t counter_help_title_index;
  std::uint32_t counter_help_title;  // likewise
  std::int32_t default_scale;        // a consumer shows the value times 10 to this power
  std::uint32_t detail_level;
  std::uint32_t counter_type;
  std::uint32_t counter_size;
  std::uint32_t counter_offset;  // from the start of the counter block
};

// The block of an object without instances: its own length, then the values.
struct PerfCounterBlock {
  std::uint32_t byte_length;
  std::uint32_t values[kCounterCount];  // counter k (1..9) at index k - 1
};

// The whole object as one collection delivers it.
struct PerfImage {
  PerfObjectType object;
  PerfCounterDefinition counters[kCounterCount];
  PerfCounterBlock block;
};

inline constexpr std::uint32_t kObjectHeaderLength = 64;
inline constexpr std::uint32_t kCounterDefinitionLength = 40;
inline constexpr std::uint32_t kCounterBlockLength = 40;
inline constexpr std::uint32_t kDefinitionLength = 424;  // header and the nine definitions
inline constexpr std::uint32_t kImageLength = 464;

static_assert(std::is_standard_layout_v<PerfImage> && std::is_trivially_copyable_v<PerfImage>);

static_assert(sizeof(PerfObjectType) == kObjectHeaderLength);
static_assert(offsetof(PerfObjectType, total_byte_length) == 0);
static_assert(offsetof(PerfObjectType, definition_length) == 4);
static_assert(offsetof(PerfObjectType, header_length) == 8);
static_assert(offsetof(PerfObjectType, object_name_title_index) == 12);
static_assert(offsetof(PerfObjectType, object_name_title) == 16);
static_assert(offsetof(PerfObjectType, object_help_title_index) == 20);
static_assert(offsetof(PerfObjectType, object_help_title) == 24);
static_assert(offsetof(PerfObjectType, detail_level) == 28);
static_assert(offsetof(PerfObjectType, num_counters) == 32);
static_assert(offsetof(PerfObjectType, default_counter) == 36);
static_assert(offsetof(PerfObjectType, num_instances) == 40);
static_assert(offsetof(PerfObjectType, code_page) == 44);
static_assert(offsetof(PerfObjectType, perf_time) == 48);
static_assert(offsetof(PerfObjectType, perf_freq) == 56);

static_assert(sizeof(PerfCounterDefinition) == kCounterDefinitionLength);
static_assert(offsetof(PerfCounterDefinition, byte_length) == 0);
static_assert(offsetof(PerfCounterDefinition, counter_name_title_index) == 4);
static_assert(offsetof(PerfCounterDefinition, counter_name_title) == 8);
static_assert(offsetof(PerfCounterDefinition, counter_help_title_index) == 12);
static_assert(offsetof(PerfCounterDefinition, counter_help_title) == 16);
static_assert(offsetof(PerfCounterDefinition, default_scale) == 20);
static_assert(offsetof(PerfCounterDefinition, detail_level) == 24);
static_assert(offsetof(PerfCounterDefinition, counter_type) == 28);
static_assert(offsetof(PerfCounterDefinition, counter_size) == 32);
static_assert(offsetof(PerfCounterDefinition, counter_offset) == 36);

static_assert(sizeof(PerfCounterBlock) == kCounterBlockLength);
static_assert(offsetof(PerfCounterBlock, byte_length) == 0);
static_assert(offsetof(PerfCounterBlock, values) == 4);

static_assert(sizeof(PerfImage) == kImageLength);
static_assert(offsetof(PerfImage, object) == 0);
static_assert(offsetof(PerfImage, counters) == kObjectHeaderLength);
static_assert(offsetof(PerfImage, block) == kDefinitionLength);
static_assert(kDefinitionLength == kObjectHeaderLength + kCounterCount * kCounterDefinitionLength);
static_assert(kImageLength == kDefinitionLength + kCounterBlockLength);

}  // namespace perf
