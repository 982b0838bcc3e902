// The nine counter values of one collection, read from the shared status block as it is at that
// moment. The block keeps the last record when the link is lost, so then only counter 7 changes.
#pragma once

#include <cstdint>

#include "ipc/shared_block.h"
#include "perf/perf_layout.h"

namespace perf {

// Tenths of a volt of a reading, truncated: 229.96 V gives 2299, and so does 229.9 V, which the
// block holds as 229.899994.
std::int32_t tenths(float value);

// A reading truncated to a whole number; 0 for a value that is not a number, the nearest 32-bit
// value for one beyond their range.
std::int32_t truncated(float value);

PerfCounterBlock counter_block(const ipc::UpsSharedBlock& block);

}  // namespace perf
