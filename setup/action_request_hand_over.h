// Handing a power-action request to the running service through the shared block's action
// request field, and waiting until the service has taken it.
//
// The service takes a request at the start of its next polling cycle by setting the field back
// to 0 (ipc/action_request.h). The field lives in memory shared with that process, so it is only
// ever accessed atomically. Called on any one thread; blocks for the wait.
#pragma once

#include <cstdint>

#include "ipc/shared_block.h"

namespace installation {

inline constexpr std::uint32_t kActionRequestPollMs = 200;

// The passage of time the wait polls by: the system's tick count and sleep, or a test's own.
class PollClock {
 public:
  virtual ~PollClock() = default;
  virtual std::uint32_t now_ms() = 0;  // may wrap around
  virtual void sleep_ms(std::uint32_t ms) = 0;
};

// Writes `code` into the action request field. A nonzero code is then polled for every 200 ms
// until the field reads 0 again, for as long as that takes.
void hand_over_action_request(ipc::UpsSharedBlock& block, std::uint32_t code, PollClock& clock);

}  // namespace installation
