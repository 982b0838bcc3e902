// One collection of the provider: what it writes into the host's buffer, and the counts and
// result the host gets back. Portable; the export CollectPD (provider_win.cpp) only adapts the
// host's in/out arguments to this.
#pragma once

#include <cstdint>

#include "ipc/shared_block.h"
#include "perf/perf_layout.h"

namespace perf {

// The host's "more data needed": it retries with a larger buffer.
inline constexpr std::uint32_t kResultMoreData = 234;

struct CollectResult {
  std::uint32_t result = 0;   // 0 or kResultMoreData
  std::uint32_t bytes = 0;    // written at the buffer's start; the host's data pointer moves on by this
  std::uint32_t objects = 0;  // objects written
};

// True when the host's value name holds the word "Costly" (words are separated by white space and
// compared exactly): a query of the expensive objects only, of which ours is none.
bool asks_for_costly_objects(const char16_t* value_name);

// Writes the object of one collection into `buffer` of `offered` bytes (any alignment):
// - a buffer below the full object's 464 bytes gets nothing and kResultMoreData;
// - with `block` (the attached shared block of an enabled provider) and a value name that does not
//   ask for costly objects, the full object with the block's values at this moment;
// - otherwise the object without counters (empty_object_header).
CollectResult collect_object(const PerfImage& image, const ipc::UpsSharedBlock* block, const char16_t* value_name,
                             void* buffer, std::uint32_t offered);

}  // namespace perf
