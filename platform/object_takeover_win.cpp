#include "platform/object_takeover_win.h"

#include "platform/debug_trace.h"
#include "platform/object_access_win.h"

namespace platform {
namespace {

Adoption take_back(HANDLE object, SystemObject kind, const char* name, const ObjectAccess& found) {
  const DWORD error = apply_system_access(object, kind);
  if (error != ERROR_SUCCESS || judge_access(read_object_access(object, SE_KERNEL_OBJECT), kind) != ObjectTrust::trusted) {
    debug_trace("UPS::%s (owner %s) could not be taken back (error %u): refused\n", name, found.owner.c_str(),
                static_cast<unsigned>(error));
    return Adoption::refused;
  }
  debug_trace("UPS::%s existed (owner %s) with rights for others: taken back\n", name, found.owner.c_str());
  return Adoption::taken_back;
}

}  // namespace

Adoption adopt_existing_object(HANDLE object, SystemObject kind, const char* name, bool creator_rights_harmless) {
  if (!object) {
    debug_trace("UPS::%s exists and keeps the service out: refused\n", name);
    return Adoption::refused;
  }
  const ObjectAccess found = read_object_access(object, SE_KERNEL_OBJECT);
  switch (plan_takeover(judge_access(found, kind), creator_rights_harmless)) {
    case Takeover::keep:
      return Adoption::kept;
    case Takeover::take_back:
      return take_back(object, kind, name, found);
    case Takeover::refuse:
      break;
  }
  debug_trace("UPS::%s was made by another account (owner %s): refused\n", name, found.owner.c_str());
  return Adoption::refused;
}

}  // namespace platform
