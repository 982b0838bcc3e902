// The registry keys that only SYSTEM and the Administrators may read or change (the
// administrator's commands on events, which the service runs as SYSTEM): their access list set
// when the key is made, and checked before its values are used (object_access_win.h judges it).
#pragma once

#include <windows.h>

#include "platform/handles_win.h"

namespace platform {

// Creates the key under the local-machine hive, or opens it, and gives it the Administrators as
// owner and the protected list of SystemObject::admin_only_key: full control for SYSTEM and the
// Administrators, nothing for anyone else. Empty when the key cannot be made or protected (not an
// administrator).
UniqueKey create_admin_only_key(const char* path);

// Whether the key's owner and list let nobody but the trusted accounts read or change it. The key
// must be open with READ_CONTROL; false when its security cannot be read.
bool key_for_administrators_only(HKEY key);

}  // namespace platform
