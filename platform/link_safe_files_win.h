// Opening files where another user may have planted a link (a junction or a symbolic link): the
// statistics archive and the debug trace. The service runs as SYSTEM and must never be made to
// write through such a link to a place of the planter's choosing.
#pragma once

#include <windows.h>

#include "platform/handles_win.h"

namespace platform {

// True when `path` exists and is a reparse point (junction, symbolic link, mount point).
bool is_link(const char* path);

// CreateFileA that refuses a link at `path` itself: looked at before opening, and looked at again
// on the handle, opened without following a link, in case one was planted in between; where the
// system follows file links regardless, the handle's final path must still be `path`'s own. An
// empty handle with ERROR_CANT_ACCESS_FILE when refused (a file it created may be left behind).
UniqueHandle create_file_not_following(const char* path, DWORD access, DWORD share, DWORD disposition);

}  // namespace platform
