// Security attributes with a null DACL: full access for everybody. Used for the kernel objects
// that processes of other sessions and users must open (the shared block, its event, the pipe).
#pragma once

#include <windows.h>

namespace platform {

class OpenSecurity {
 public:
  // Logs "UPS::error:InitializeSecurityDescriptor\n" when the descriptor cannot be made; the
  // objects are then created with default security.
  OpenSecurity();
  OpenSecurity(const OpenSecurity&) = delete;
  OpenSecurity& operator=(const OpenSecurity&) = delete;

  // Attributes to pass to a creating call; null when the descriptor could not be made.
  SECURITY_ATTRIBUTES* attributes() { return ok_ ? &attributes_ : nullptr; }

 private:
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ok_ = false;
};

}  // namespace platform
