// One polling cycle's writes to the shared block, bracketed by the new-data event.
//
// Readers in other processes take a picture of the block only while the event is signalled, so
// every field a cycle changes is written between the reset and the set, and while the block's
// write count is odd (cycle_write_count.h):
//   reset -> count odd -> raw line, shutdown reason, record and derived values (publish_status) ->
//   link-ok byte and time in state -> count even -> set.
// The polling loop decides everything first (state, thresholds, time in state) and hands it over;
// it stores its new state and pulses the state-change event after this returns, so that the host,
// woken by the state, finds the block of that state complete.
// Not thread-safe: called by the polling thread only.
#pragma once

#include <cstdint>

#include "core/model_record.h"
#include "ipc/shared_block.h"
#include "ipc/status_publication.h"
#include "link/ups_status.h"

namespace ipc {

// The new-data event as the publisher sees it.
class NewDataSignal {
 public:
  virtual ~NewDataSignal() = default;
  virtual void reset() = 0;
  virtual void set() = 0;
};

// What the polling loop decided in one cycle.
struct PollingCycle {
  ups_link::UpsStatus status;             // as adjusted by the loop (test and threshold bits)
  const char* raw_line = nullptr;         // the line that parsed in this cycle; null when none did
  bool link_lost = true;
  std::uint32_t shutdown_reason = 0;      // 0 none, 1 capacity, 2 battery voltage
  std::int64_t time_in_state_ms = 0;      // stored clamped to 0..INT32_MAX
  ups_link::ServerBatteryValues server_battery;  // a NUT server's own charge and runtime
};

void publish_cycle(UpsSharedBlock& block, const PollingCycle& cycle, const core::ModelRecord& model,
                   StatusValueWriter& registry, NewDataSignal& new_data);

}  // namespace ipc
