// Security attributes of the kernel objects that processes of other sessions and users open:
// the shared block, its new-data event and the pipe. Each gets an explicit DACL, protected from
// inheritance: SYSTEM and Administrators have full control; interactive users (console and remote
// desktop) get only what the tray application uses of that object, and never WRITE_DAC or
// WRITE_OWNER, so no user can lock the service out of its own objects. Users read the block but
// never write it: what they may ask of the service goes over the pipe, where the service checks
// who asks. The statistics archive's
// root, when the service creates it, is readable by users and written by the service alone;
// everything below it inherits that. A registry key whose values the service runs as SYSTEM (the
// administrator's commands on events) is for SYSTEM and Administrators alone, as is the mutex
// through which the administrators' processes take turns at their shared trace file.
#pragma once

#include <windows.h>

namespace platform {

enum class SystemObject { shared_block, new_data_event, pipe, archive_root, admin_only_key, trace_file_turns };

// Specific rights of interactive users (the tray application and the viewer): the block's view
// read; the event waited on and queried; the pipe read and written. The pipe's right excludes
// FILE_APPEND_DATA, which on a pipe is FILE_CREATE_PIPE_INSTANCE (and part of GENERIC_WRITE):
// users connect, but never add an instance of their own under the service's name.
inline constexpr DWORD kEventQueryState = 0x0001;  // EVENT_QUERY_STATE, missing from some SDKs
inline constexpr DWORD kBlockUserAccess = FILE_MAP_READ;
inline constexpr DWORD kEventUserAccess = SYNCHRONIZE | kEventQueryState;
inline constexpr DWORD kPipeUserAccess = FILE_GENERIC_READ | FILE_WRITE_DATA;

class ObjectSecurity {
 public:
  // Logs "UPS::error:InitializeSecurityDescriptor\n" when the descriptor cannot be made; the
  // object is then created with default security.
  explicit ObjectSecurity(SystemObject object);
  ~ObjectSecurity();
  ObjectSecurity(const ObjectSecurity&) = delete;
  ObjectSecurity& operator=(const ObjectSecurity&) = delete;

  // Attributes to pass to a creating call; null when the descriptor could not be made.
  SECURITY_ATTRIBUTES* attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace platform
