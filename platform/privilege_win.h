// Enabling one named privilege in the calling process's token.
#pragma once

namespace platform {

// Logs "SetPrivilege::..." lines with the system error code on failure.
bool enable_privilege(const char* name);

}  // namespace platform
