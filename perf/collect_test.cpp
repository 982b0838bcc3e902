// The provider's object as the host receives it: every field at its offset, the values taken from
// the shared block, and the rules of one collection (short buffer, costly queries, no block).
#include "perf/collect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "perf/counter_values.h"
#include "perf/perf_image.h"

namespace perf {
namespace {

template <typename T>
T read_at(const unsigned char* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}
std::uint32_t u32(const unsigned char* bytes, std::size_t offset) { return read_at<std::uint32_t>(bytes, offset); }
std::int32_t i32(const unsigned char* bytes, std::size_t offset) { return read_at<std::int32_t>(bytes, offset); }

ipc::UpsSharedBlock running_ups() {
  ipc::UpsSharedBlock block{};
  block.link_ok = 1;
  block.status.input_voltage = 229.96f;
  block.status.output_voltage = 230.1f;
  block.status.load_percent = 37;
  block.status.battery_voltage = 13.6f;
  block.status.temperature = 25.0f;
  block.status.status_bits = ups_link::STATUS_AVR | ups_link::STATUS_LINE_INTERACTIVE;
  return block;
}

// A buffer that shows what was written: filled with a mark, the object placed at an odd address.
struct HostBuffer {
  static constexpr unsigned char kMark = 0xCC;
  std::vector<unsigned char> bytes = std::vector<unsigned char>(601, kMark);
  unsigned char* object() { return bytes.data() + 1; }
};

TEST(PerfObject, FullObjectHasTheStandardLayout) {
  const PerfImage image = prepare_image(1848, 1849);
  const ipc::UpsSharedBlock block = running_ups();
  HostBuffer buffer;
  const CollectResult r = collect_object(image, &block, u"Global", buffer.object(), 600);
  ASSERT_EQ(r.result, 0u);
  EXPECT_EQ(r.bytes, 464u);
  EXPECT_EQ(r.objects, 1u);

  const unsigned char* o = buffer.object();
  EXPECT_EQ(u32(o, 0), 464u) << "TotalByteLength";
  EXPECT_EQ(u32(o, 4), 424u) << "DefinitionLength";
  EXPECT_EQ(u32(o, 8), 64u) << "HeaderLength";
  EXPECT_EQ(u32(o, 12), 1848u) << "ObjectNameTitleIndex";
  EXPECT_EQ(u32(o, 16), 0u);
  EXPECT_EQ(u32(o, 20), 1849u) << "ObjectHelpTitleIndex";
  EXPECT_EQ(u32(o, 24), 0u);
  EXPECT_EQ(u32(o, 28), 0u) << "DetailLevel";
  EXPECT_EQ(u32(o, 32), 9u) << "NumCounters";
  EXPECT_EQ(i32(o, 36), 0) << "DefaultCounter";
  EXPECT_EQ(i32(o, 40), -1) << "NumInstances";
  EXPECT_EQ(u32(o, 44), 0u) << "CodePage";
  EXPECT_EQ(read_at<std::int64_t>(o, 48), 0);
  EXPECT_EQ(read_at<std::int64_t>(o, 56), 0);

  const std::int32_t scales[] = {-1, -1, 0, -1, 0, 0, 0, 0, 0};
  for (std::uint32_t k = 1; k <= 9; ++k) {
    SCOPED_TRACE(k);
    const unsigned char* d = o + 64 + 40 * (k - 1);
    EXPECT_EQ(u32(d, 0), 40u);
    EXPECT_EQ(u32(d, 4), 1848 + 2 * k);
    EXPECT_EQ(u32(d, 8), 0u);
    EXPECT_EQ(u32(d, 12), 1849 + 2 * k);
    EXPECT_EQ(u32(d, 16), 0u);
    EXPECT_EQ(i32(d, 20), scales[k - 1]);
    EXPECT_EQ(u32(d, 24), 0u) << "DetailLevel";
    EXPECT_EQ(u32(d, 28), 0u) << "CounterType";
    EXPECT_EQ(u32(d, 32), 4u) << "CounterSize";
    EXPECT_EQ(u32(d, 36), 4 * k) << "CounterOffset";
  }

  EXPECT_EQ(u32(o, 424), 40u) << "the counter block's ByteLength";
  const std::uint32_t values[] = {2299, 2301, 37, 136, 100, 25, 100, 0, 0};
  for (std::uint32_t k = 1; k <= 9; ++k) EXPECT_EQ(u32(o, 424 + 4 * k), values[k - 1]) << "counter " << k;
  EXPECT_EQ(o[464], HostBuffer::kMark) << "nothing beyond the object";
}

TEST(PerfObject, WithoutABlockTheObjectHasNoCountersAndZeroPadding) {
  const PerfImage image = prepare_image(1848, 1849);
  HostBuffer buffer;
  const CollectResult r = collect_object(image, nullptr, u"Global", buffer.object(), 464);
  ASSERT_EQ(r.result, 0u);
  EXPECT_EQ(r.bytes, 424u);
  EXPECT_EQ(r.objects, 1u);
  const unsigned char* o = buffer.object();
  EXPECT_EQ(u32(o, 0), 424u) << "TotalByteLength";
  EXPECT_EQ(u32(o, 4), 64u) << "DefinitionLength";
  EXPECT_EQ(u32(o, 8), 64u) << "HeaderLength";
  EXPECT_EQ(u32(o, 12), 1848u);
  EXPECT_EQ(u32(o, 20), 1849u);
  EXPECT_EQ(u32(o, 32), 0u) << "NumCounters";
  EXPECT_EQ(i32(o, 40), -1) << "NumInstances";
  for (std::size_t i = 64; i < 424; ++i) ASSERT_EQ(o[i], 0) << "byte " << i;
  EXPECT_EQ(o[424], HostBuffer::kMark);
}

TEST(PerfObject, ABufferBelowTheFullObjectGetsNothing) {
  const PerfImage image = prepare_image(1848, 1849);
  const ipc::UpsSharedBlock block = running_ups();
  for (const ipc::UpsSharedBlock* source : {&block, static_cast<const ipc::UpsSharedBlock*>(nullptr)}) {
    HostBuffer buffer;
    const CollectResult r = collect_object(image, source, u"Global", buffer.object(), 463);
    EXPECT_EQ(r.result, 234u);
    EXPECT_EQ(r.bytes, 0u);
    EXPECT_EQ(r.objects, 0u);
    EXPECT_EQ(std::count(buffer.bytes.begin(), buffer.bytes.end(), HostBuffer::kMark), 601);
  }
  HostBuffer exact;
  EXPECT_EQ(collect_object(image, &block, u"Global", exact.object(), 464).bytes, 464u);
}

TEST(PerfObject, CostlyQueriesGetTheObjectWithoutCounters) {
  const PerfImage image = prepare_image(1848, 1849);
  const ipc::UpsSharedBlock block = running_ups();
  for (const char16_t* name : {u"Costly", u"Foreign Costly", u"238\tCostly\r\n"}) {
    HostBuffer buffer;
    EXPECT_EQ(collect_object(image, &block, name, buffer.object(), 600).bytes, 424u);
  }
  for (const char16_t* name :
       {u"Global", u"238 1848 2", u"costly", u"Costly2", u"NotCostly", u"", static_cast<const char16_t*>(nullptr)}) {
    HostBuffer buffer;
    EXPECT_EQ(collect_object(image, &block, name, buffer.object(), 600).bytes, 464u);
  }
}

TEST(CounterValues, LostLinkZeroesOnlyTheConnectionCounter) {
  ipc::UpsSharedBlock block = running_ups();
  const PerfCounterBlock linked = counter_block(block);
  block.link_ok = 0;
  const PerfCounterBlock lost = counter_block(block);
  EXPECT_EQ(linked.values[6], 100u);
  EXPECT_EQ(lost.values[6], 0u);
  for (std::size_t i = 0; i < kCounterCount; ++i) {
    if (i == 6) continue;
    EXPECT_EQ(lost.values[i], linked.values[i]) << "counter " << i + 1;
  }
}

TEST(CounterValues, StatusBitsGiveOnOffCounters) {
  ipc::UpsSharedBlock block = running_ups();
  block.status.status_bits = ups_link::STATUS_UTILITY_FAIL | ups_link::STATUS_BATTERY_LOW;
  PerfCounterBlock b = counter_block(block);
  EXPECT_EQ(b.values[4], 0u) << "AVR";
  EXPECT_EQ(b.values[7], 100u) << "on battery";
  block.status.status_bits = 0xFF & ~ups_link::STATUS_UTILITY_FAIL;
  b = counter_block(block);
  EXPECT_EQ(b.values[4], 100u);
  EXPECT_EQ(b.values[7], 0u);
  EXPECT_EQ(b.values[8], 0u) << "reserved";
}

TEST(CounterValues, EveryReadingOfOneDecimalGivesItsExactTenths) {
  // The status line carries one decimal; the block holds the nearest float, often just below.
  for (int n = 0; n <= 9999; ++n) {
    const float reading = std::strtof(std::to_string(n / 10.0).c_str(), nullptr);
    ASSERT_EQ(tenths(reading), n) << reading;
  }
  EXPECT_EQ(tenths(229.96f), 2299);
}

TEST(CounterValues, TruncationTowardZeroAndOutsideTheRange) {
  EXPECT_EQ(truncated(25.0f), 25);
  EXPECT_EQ(truncated(25.9f), 25);
  EXPECT_EQ(truncated(-5.7f), -5);
  EXPECT_EQ(truncated(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(truncated(1e30f), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(truncated(-1e30f), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(tenths(std::numeric_limits<float>::infinity()), std::numeric_limits<std::int32_t>::max());

  ipc::UpsSharedBlock block = running_ups();
  block.status.temperature = -5.7f;
  EXPECT_EQ(static_cast<std::int32_t>(counter_block(block).values[5]), -5);
}

}  // namespace
}  // namespace perf
