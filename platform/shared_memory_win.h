// Creating or attaching the system's named shared memory ("Global\<base>_map").
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles_win.h"
#include "platform/object_takeover_win.h"

namespace platform {

// The holder of one attachment: the mapping and the view of it. The view is released first.
struct SharedMemory {
  UniqueHandle mapping;
  UniqueView view;
  // What the creating side found under the name (object_takeover_win.h).
  Adoption adoption = Adoption::created;
  void* data() const { return view.get(); }
};

// "Global\<base>_map".
std::string shared_memory_name(const char* base_name);

// With `create` the block is created if needed and zero-filled (the service side); a block that
// already existed is taken over as object_takeover_win.h says, and false when it is refused.
// Without `create` the call only attaches to a block that already exists, for reading: the view is
// read-only, and a write through it faults. It never leaves an object behind. A holder that was
// attached before is released first. Failures of the system calls are logged with
// "openSharedMemory::..." lines; a reader that finds no block gets false without a line.
bool open_shared_memory(SharedMemory& holder, bool create, const char* base_name, DWORD size);

// Attaches to an existing block for reading and writing, as SYSTEM and administrators may (the
// setup's requests); false without a line for anyone else, or when there is no block.
bool attach_shared_memory_writable(SharedMemory& holder, const char* base_name, DWORD size);

}  // namespace platform
