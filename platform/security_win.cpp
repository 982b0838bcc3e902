#include "platform/security_win.h"

#include "platform/debug_trace.h"

namespace platform {

OpenSecurity::OpenSecurity() {
  if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE)) {
    debug_trace("UPS::error:InitializeSecurityDescriptor\n");
    return;
  }
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = FALSE;
  ok_ = true;
}

}  // namespace platform
