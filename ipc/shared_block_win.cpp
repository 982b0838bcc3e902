#include "ipc/shared_block_win.h"

#include <atomic>
#include <cstring>

namespace ipc {
namespace {

bool signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

bool open_shared_block(platform::SharedMemory& holder, bool create, const char* base_name) {
  return platform::open_shared_memory(holder, create, base_name, sizeof(UpsSharedBlock));
}

bool take_block_picture(HANDLE new_data_event, const UpsSharedBlock& block, UpsSharedBlock& picture) {
  if (!signalled(new_data_event)) return false;
  UpsSharedBlock second;
  std::memcpy(&picture, &block, sizeof picture);
  // Another process writes the block: the second copy must read memory again, not reuse the first.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(&second, &block, sizeof second);
  return signalled(new_data_event) && std::memcmp(&picture, &second, sizeof second) == 0;
}

}  // namespace ipc
