#include "ipc/shared_block_win.h"

#include "ipc/cycle_write_count.h"

namespace ipc {
namespace {

bool signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace

bool open_shared_block(platform::SharedMemory& holder, bool create, const char* base_name) {
  return platform::open_shared_memory(holder, create, base_name, sizeof(UpsSharedBlock));
}

bool attach_shared_block_writable(platform::SharedMemory& holder, const char* base_name) {
  return platform::attach_shared_memory_writable(holder, base_name, sizeof(UpsSharedBlock));
}

bool take_block_picture(HANDLE new_data_event, const UpsSharedBlock& block, UpsSharedBlock& picture) {
  return signalled(new_data_event) && copy_whole_cycle(block, picture);
}

}  // namespace ipc
