#include "setup/action_request_hand_over.h"

#include <atomic>

namespace installation {

void hand_over_action_request(ipc::UpsSharedBlock& block, std::uint32_t code, PollClock& clock) {
  std::atomic_ref<std::uint32_t> field(block.action_request);
  field.store(code);
  while (field.load() != 0) clock.sleep_ms(kActionRequestPollMs);
}

bool withdraw_action_request(ipc::UpsSharedBlock& block, std::uint32_t code) {
  std::uint32_t ours = code;
  return code != 0 && std::atomic_ref<std::uint32_t>(block.action_request).compare_exchange_strong(ours, 0);
}

}  // namespace installation
