#include "service/power_switch_win.h"

#include <windows.h>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "service/driver_library_win.h"
#include "setup/shared_block_requests_win.h"

namespace service {
namespace {

struct HandOver {
  SetupFunction setup;
  std::uint32_t code;
};

DWORD WINAPI hand_over_thread(void* parameter) {
  const HandOver& hand_over = *static_cast<const HandOver*>(parameter);
  return static_cast<DWORD>(hand_over.setup(installation::kRequestPowerAction, hand_over.code));
}

}  // namespace

void send_power_action(std::uint32_t code) {
  LibraryExports library;
  if (!library.setup()) return;
  // `setup` waits for as long as no service takes the request; the wait runs on a thread of its
  // own so that this program can give up, withdraw the request and thereby end that wait.
  HandOver hand_over{library.setup(), code};
  platform::UniqueHandle thread(CreateThread(nullptr, 0, hand_over_thread, &hand_over, 0, nullptr));
  if (!thread) return;
  if (WaitForSingleObject(thread.get(), kPowerActionTakeLimitMs) == WAIT_TIMEOUT) {
    if (installation::withdraw_power_action(code))
      debug_trace("UPS::power action %u not taken within %u s: withdrawn\n", static_cast<unsigned>(code),
                  static_cast<unsigned>(kPowerActionTakeLimitMs / 1000));
    // The wait sees the withdrawal on its next poll. Should another request have replaced ours,
    // the program ends at once: unloading the library under the waiting thread would crash it.
    if (WaitForSingleObject(thread.get(), 1000) == WAIT_TIMEOUT) ExitProcess(0);
  }
  DWORD result = 0;
  GetExitCodeThread(thread.get(), &result);
  if (result == 0) debug_trace("UPS::power action %u: no service running\n", static_cast<unsigned>(code));
}

}  // namespace service
