// Attaching the shared status block "Global\<base>_map" and reading it consistently.
#pragma once

#include <windows.h>

#include "ipc/shared_block.h"
#include "platform/shared_memory_win.h"

namespace ipc {

// The service creates the block (zero-filled); every other process only attaches to an existing
// one, read-only, and gets false, without a log line, while the service has not created it.
bool open_shared_block(platform::SharedMemory& holder, bool create, const char* base_name = kSharedBlockBaseName);
// Attaches for writing requests into the block, as SYSTEM and administrators may; false for
// anyone else and while there is no block.
bool attach_shared_block_writable(platform::SharedMemory& holder, const char* base_name = kSharedBlockBaseName);

// The block of an attached holder; null when not attached. A reader's view is read-only.
inline UpsSharedBlock* shared_block(const platform::SharedMemory& holder) {
  return static_cast<UpsSharedBlock*>(holder.data());
}

// Copies the block into `picture` when a cycle has been published and none was being written
// during the copy (cycle_write_count.h). False, picture unspecified, while the service is between
// updates or not running; the caller tries again later.
bool take_block_picture(HANDLE new_data_event, const UpsSharedBlock& block, UpsSharedBlock& picture);

}  // namespace ipc
