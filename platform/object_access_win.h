// Reading and setting who owns an object and what its access list allows, in the terms of
// object_trust.h: for the kernel objects the service shares and for folders (the statistics
// archive's root, the folder of the debug trace).
//
// Trusted accounts: SYSTEM, Administrators, TrustedInstaller, the creator-owner placeholder and
// this process's own account and default owner (the service's, which are SYSTEM and
// Administrators on Windows; under Wine and in the foreground mode the account that runs it).
#pragma once

#include <windows.h>
#include <accctrl.h>

#include <string>

#include "platform/object_trust.h"
#include "platform/security_win.h"

namespace platform {

// An object's owner and list as the system reports them.
struct ObjectAccess {
  bool read = false;  // false: the system would not say (everything below is empty)
  bool owner_trusted = false;
  std::string owner;  // the owner's SID as text, for the trace
  AccessList list;
};

ObjectAccess read_object_access(HANDLE object, SE_OBJECT_TYPE type);
// A folder or file by its path (links on the way are followed, as opening it would).
ObjectAccess read_path_access(const std::string& path);

// Judged against the system's own list for `kind` (security_win.h): what that list gives anyone
// but the trusted accounts is what others may have. Unreadable counts as foreign.
ObjectTrust judge_access(const ObjectAccess& access, SystemObject kind);

// SYSTEM, or an account whose token has the Administrators group enabled (not an administrator's
// token that UAC has filtered).
bool process_is_administrator();

// Sets the owner to this process's account and the access list to the system's own for `kind`,
// protected from inheritance; a system error code, 0 on success.
DWORD apply_system_access(HANDLE object, SystemObject kind);
// The same for a folder by its path; SetNamedSecurityInfo also hands the list's inheritable
// entries down to what the folder already holds. No privilege is enabled for it: a folder whose
// list keeps the service out stays as it is.
DWORD apply_system_access(const std::string& path, SystemObject kind);

}  // namespace platform
