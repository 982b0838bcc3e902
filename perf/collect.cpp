#include "perf/collect.h"

#include <cstring>
#include <string_view>

#include "perf/counter_values.h"
#include "perf/perf_image.h"

namespace perf {
namespace {

bool is_space(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

CollectResult write_full_object(const PerfImage& image, const ipc::UpsSharedBlock& block, unsigned char* out) {
  std::memcpy(out, &image, kDefinitionLength);
  const PerfCounterBlock values = counter_block(block);
  std::memcpy(out + kDefinitionLength, &values, sizeof values);
  return {0, kImageLength, 1};
}

CollectResult write_empty_object(const PerfImage& image, unsigned char* out) {
  const PerfObjectType header = empty_object_header(image);
  std::memset(out, 0, kEmptyObjectLength);
  std::memcpy(out, &header, sizeof header);
  return {0, kEmptyObjectLength, 1};
}

}  // namespace

bool asks_for_costly_objects(const char16_t* value_name) {
  if (!value_name) return false;
  std::u16string_view rest(value_name);
  while (!rest.empty()) {
    std::size_t start = 0;
    while (start < rest.size() && is_space(rest[start])) ++start;
    std::size_t end = start;
    while (end < rest.size() && !is_space(rest[end])) ++end;
    if (rest.substr(start, end - start) == u"Costly") return true;
    rest.remove_prefix(end);
  }
  return false;
}

CollectResult collect_object(const PerfImage& image, const ipc::UpsSharedBlock* block, const char16_t* value_name,
                             void* buffer, std::uint32_t offered) {
  if (offered < kImageLength) return {kResultMoreData, 0, 0};
  auto* out = static_cast<unsigned char*>(buffer);
  if (block && !asks_for_costly_objects(value_name)) return write_full_object(image, *block, out);
  return write_empty_object(image, out);
}

}  // namespace perf
