#include "platform/privilege_win.h"

#include <windows.h>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"

namespace platform {

bool enable_privilege(const char* name) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive())) {
    debug_trace("SetPrivilege::OpenProcessToken error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
    debug_trace("SetPrivilege::LookupPrivilegeValue error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr)) {
    debug_trace("SetPrivilege::AdjustTokenPrivileges error: %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  return true;
}

}  // namespace platform
