// Test helper: a status block of a UPS on battery for 125 s with a valid model, the values the
// status texts' tests spell out.
#pragma once

#include "ipc/shared_block.h"
#include "link/ups_status.h"

namespace tray::testing {

inline ipc::UpsSharedBlock battery_block() {
  ipc::UpsSharedBlock block{};
  block.link_ok = 1;
  block.status.input_voltage = 0;
  block.status.output_voltage = 220;
  block.status.frequency = 50;
  block.status.battery_voltage = 12.5f;
  block.status.temperature = 31.5f;
  block.status.load_percent = 35;
  block.status.status_bits = ups_link::STATUS_UTILITY_FAIL;
  block.capacity_valid = 1;
  block.capacity = 80;
  block.load_va = 210.9f;
  block.runtime = 14.7f;
  block.time_in_state = 125'999;
  return block;
}

}  // namespace tray::testing
