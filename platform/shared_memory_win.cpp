#include "platform/shared_memory_win.h"

#include <cstdio>
#include <cstring>

#include "platform/debug_trace.h"
#include "platform/privilege_win.h"
#include "platform/security_win.h"

namespace platform {

bool open_shared_memory(SharedMemory& holder, bool create, const char* base_name, DWORD size) {
  holder.view.reset();
  holder.mapping.reset();

  char name[MAX_PATH];
  std::snprintf(name, sizeof name, "Global\\%s_map", base_name);
  // Readers ask only for what interactive users are granted, and never create the block.
  if (!create) {
    holder.mapping.reset(OpenFileMappingA(kBlockUserAccess, FALSE, name));
    if (!holder.mapping) return false;
  } else {
    // Needed to create a global object from a user session; failure shows up as a create failure.
    enable_privilege("SeCreateGlobalPrivilege");
    ObjectSecurity security(SystemObject::shared_block);
    holder.mapping.reset(
        CreateFileMappingA(INVALID_HANDLE_VALUE, security.attributes(), PAGE_READWRITE, 0, size, name));
    if (!holder.mapping) {
      debug_trace("openSharedMemory::CreateFileMapping error: %u\n", static_cast<unsigned>(GetLastError()));
      return false;
    }
  }
  holder.view.reset(MapViewOfFile(holder.mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size));
  if (!holder.view) {
    debug_trace("openSharedMemory::MapViewOfFile error: %u\n", static_cast<unsigned>(GetLastError()));
    holder.mapping.reset();
    return false;
  }
  if (create) std::memset(holder.view.get(), 0, size);
  return true;
}

}  // namespace platform
