#include "platform/shared_memory_win.h"

#include <cstring>

#include "platform/debug_trace.h"
#include "platform/privilege_win.h"
#include "platform/security_win.h"

namespace platform {
namespace {

// Whoever made the block keeps its views writable whatever its list says afterwards, and the
// service takes requests from the block: another account's block is refused, not taken back.
bool take_over_if_existing(SharedMemory& holder, const char* name) {
  const DWORD error = GetLastError();
  const bool found = holder.mapping ? error == ERROR_ALREADY_EXISTS
                                    : error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE;
  if (!found) return true;
  holder.adoption = adopt_existing_object(holder.mapping.get(), SystemObject::shared_block, name, false);
  if (holder.adoption == Adoption::refused) holder.mapping.reset();
  return holder.adoption != Adoption::refused;
}

bool map_view(SharedMemory& holder, DWORD view_access, DWORD size) {
  holder.view.reset(MapViewOfFile(holder.mapping.get(), view_access, 0, 0, size));
  if (holder.view) return true;
  debug_trace("openSharedMemory::MapViewOfFile error: %u\n", static_cast<unsigned>(GetLastError()));
  holder.mapping.reset();
  return false;
}

// Readers and writers never create the block; each asks only for the access it uses.
bool attach(SharedMemory& holder, DWORD access, const char* base_name, DWORD size) {
  holder.view.reset();
  holder.adoption = Adoption::created;
  holder.mapping.reset(OpenFileMappingA(access, FALSE, shared_memory_name(base_name).c_str()));
  return holder.mapping && map_view(holder, access, size);
}

}  // namespace

std::string shared_memory_name(const char* base_name) { return std::string("Global\\") + base_name + "_map"; }

bool open_shared_memory(SharedMemory& holder, bool create, const char* base_name, DWORD size) {
  if (!create) return attach(holder, kBlockUserAccess, base_name, size);
  holder.view.reset();
  holder.mapping.reset();
  holder.adoption = Adoption::created;

  const std::string name = shared_memory_name(base_name);
  // Needed to create a global object from a user session; failure shows up as a create failure.
  enable_privilege("SeCreateGlobalPrivilege");
  ObjectSecurity security(SystemObject::shared_block);
  holder.mapping.reset(
      CreateFileMappingA(INVALID_HANDLE_VALUE, security.attributes(), PAGE_READWRITE, 0, size, name.c_str()));
  if (!take_over_if_existing(holder, name.c_str())) return false;
  if (!holder.mapping) {
    debug_trace("openSharedMemory::CreateFileMapping error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  if (!map_view(holder, FILE_MAP_READ | FILE_MAP_WRITE, size)) return false;
  std::memset(holder.view.get(), 0, size);
  return true;
}

bool attach_shared_memory_writable(SharedMemory& holder, const char* base_name, DWORD size) {
  return attach(holder, FILE_MAP_READ | FILE_MAP_WRITE, base_name, size);
}

}  // namespace platform
