#include "ipc/action_request.h"

#include <atomic>

namespace ipc {

static_assert(std::atomic_ref<std::uint32_t>::required_alignment <= alignof(UpsSharedBlock));

bool take_action_request(UpsSharedBlock& block, PowerActionStarter& starter) {
  const std::uint32_t taken = std::atomic_ref<std::uint32_t>(block.action_request).exchange(0);
  if (taken == 0) return false;
  starter.start_power_action(taken - 1);
  return true;
}

}  // namespace ipc
