#include "setup/action_request_hand_over.h"

#include <atomic>

namespace installation {

void hand_over_action_request(ipc::UpsSharedBlock& block, std::uint32_t code, PollClock& clock) {
  std::atomic_ref<std::uint32_t> field(block.action_request);
  field.store(code);
  while (field.load() != 0) clock.sleep_ms(kActionRequestPollMs);
}

}  // namespace installation
