// The power-action request of the shared block: written by the tray menu and setup operation 10
// in other processes, taken by the service's polling thread at the start of every cycle.
//
// Request values are the power action plus one (1..6); the action code the service starts is the
// value minus one, the same code that the pipe command MSG_POWER_ACTION carries.
#pragma once

#include <cstdint>

#include "ipc/shared_block.h"

namespace ipc {

// Starts the power action with `action_code` (0..5) on a thread of its own. The code is passed by
// value: whatever it came from may be reused as soon as the call returns.
class PowerActionStarter {
 public:
  virtual ~PowerActionStarter() = default;
  virtual void start_power_action(std::uint32_t action_code) = 0;
};

// If a request is pending, clears the field and hands request - 1 to `starter`; true when it did.
// The field is read and cleared in one atomic exchange, so a request written at that moment by
// another process is either taken now or left for the next cycle, never lost.
bool take_action_request(UpsSharedBlock& block, PowerActionStarter& starter);

}  // namespace ipc
