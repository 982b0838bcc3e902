// Test program: a reader of the published block in a process of its own, as the tray GUI is, that
// also writes a request into it as an administrator's process may (the setup's power action).
//   ipc_block_reader BASE EVENT CYCLES
// Attaches to "Global\<BASE>_map", takes pictures while the event EVENT is signalled and checks
// that each shows one whole cycle of test_cycle_pattern.h, until it has seen CYCLES different
// cycles. On the way it asks for power action 3 through the block and waits until it is taken.
// Exit codes: 0 done, 2 bad arguments, 3 no block or event, 4 torn or stale picture,
// 5 too few cycles seen, 6 the action request was never taken.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ipc/new_data_event_win.h"
#include "ipc/shared_block_win.h"
#include "ipc/test_cycle_pattern.h"

namespace {

constexpr DWORD kGiveUpMs = 60000;
constexpr int kCyclesBeforeRequest = 10;
constexpr std::uint32_t kRestartRequest = 3;

bool attach(const char* base, const char* event_name, platform::SharedMemory& memory, platform::UniqueHandle& event) {
  for (DWORD waited = 0; waited < 10000; waited += 20, Sleep(20)) {
    if (!memory.view && !ipc::attach_shared_block_writable(memory, base)) continue;
    event = ipc::open_new_data_event(event_name);
    if (event) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const int wanted_cycles = std::atoi(argv[3]);
  platform::SharedMemory memory;
  platform::UniqueHandle event;
  if (!attach(argv[1], argv[2], memory, event)) return 3;
  ipc::UpsSharedBlock* block = ipc::shared_block(memory);
  std::atomic_ref<std::uint32_t> request(block->action_request);

  int cycles_seen = 0;
  std::int32_t last_cycle = 0;
  long pictures = 0;
  bool requested = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kGiveUpMs) {
    ipc::UpsSharedBlock picture;
    if (!ipc::take_block_picture(event.get(), *block, picture)) continue;
    ++pictures;
    std::string why;
    const std::int32_t cycle = ipc::testing::pattern_cycle_of(picture, why);
    if (cycle < last_cycle) {
      std::printf("picture %ld: %s\n", pictures, cycle < 0 ? why.c_str() : "an older cycle after a newer one");
      return 4;
    }
    if (cycle > last_cycle) ++cycles_seen;
    last_cycle = cycle;
    if (cycles_seen == kCyclesBeforeRequest && !requested) {
      request.store(kRestartRequest);
      requested = true;
    }
    if (cycles_seen >= wanted_cycles && requested && request.load() == 0) {
      std::printf("%d cycles in %ld pictures\n", cycles_seen, pictures);
      return 0;
    }
  }
  std::printf("%d cycles in %ld pictures, request %s\n", cycles_seen, pictures,
              request.load() == 0 ? "taken" : "pending");
  return cycles_seen < wanted_cycles ? 5 : 6;
}
