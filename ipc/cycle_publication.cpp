#include "ipc/cycle_publication.h"

#include <algorithm>
#include <limits>

#include "ipc/cycle_write_count.h"

namespace ipc {
namespace {

// The block's field is 32-bit: after about 24.8 days in one state it stays at its maximum
// instead of wrapping to a negative time.
std::int32_t stored_time_in_state(std::int64_t milliseconds) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(milliseconds, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void publish_cycle(UpsSharedBlock& block, const PollingCycle& cycle, const core::ModelRecord& model,
                   StatusValueWriter& registry, NewDataSignal& new_data) {
  new_data.reset();
  begin_cycle_write(block);
  if (cycle.raw_line) set_block_raw_line(block, cycle.raw_line);
  block.shutdown_reason = cycle.shutdown_reason;
  publish_status(block, cycle.status, model, cycle.link_lost, registry, cycle.server_battery);
  block.link_ok = cycle.link_lost ? 0 : 1;
  block.time_in_state = stored_time_in_state(cycle.time_in_state_ms);
  end_cycle_write(block);
  new_data.set();
}

}  // namespace ipc
