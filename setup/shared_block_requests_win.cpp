#include "setup/shared_block_requests_win.h"

#include <windows.h>

#include <atomic>

#include "ipc/shared_block_win.h"
#include "setup/action_request_hand_over.h"

namespace installation {
namespace {

class TickClock final : public PollClock {
 public:
  std::uint32_t now_ms() override { return GetTickCount(); }
  void sleep_ms(std::uint32_t ms) override { Sleep(ms); }
};

}  // namespace

bool set_gui_exit_request(std::uint32_t value) {
  platform::SharedMemory memory;
  if (!ipc::attach_shared_block_writable(memory)) return false;
  std::atomic_ref<std::uint32_t>(ipc::shared_block(memory)->gui_exit_request).store(value);
  return true;
}

bool request_power_action(std::uint32_t code) {
  platform::SharedMemory memory;
  if (!ipc::attach_shared_block_writable(memory)) return false;
  TickClock clock;
  hand_over_action_request(*ipc::shared_block(memory), code, clock);
  return true;
}

}  // namespace installation
