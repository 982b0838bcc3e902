// Taking over a kernel object of one of the system's names (the shared block, the new-data event)
// that already existed when the service went to create it. An earlier run's object, still held by
// a tray, is kept; one that someone else made, or that others may do more with than the system's
// own list allows, is taken back or refused (object_trust.h). Never silently used.
#pragma once

#include <windows.h>

#include "platform/security_win.h"

namespace platform {

enum class Adoption {
  created,     // the service made it
  kept,        // it existed in safe hands
  taken_back,  // it existed; its owner and list are now the system's own
  refused,     // it existed and is not used
};

// `object`: what the creating call returned with ERROR_ALREADY_EXISTS, or null when that call
// failed with ERROR_ACCESS_DENIED, as it does for an object whose list keeps the service out.
// `creator_rights_harmless`: whether what a creator keeps through its own handles and views may be
// left to it. Writes a trace line unless the object is kept.
Adoption adopt_existing_object(HANDLE object, SystemObject kind, const char* name, bool creator_rights_harmless);

}  // namespace platform
