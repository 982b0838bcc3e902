#include "ipc/new_data_event_win.h"

#include "platform/debug_trace.h"
#include "platform/security_win.h"

namespace ipc {

platform::UniqueHandle create_new_data_event(platform::Adoption& adoption, const char* name) {
  platform::ObjectSecurity security(platform::SystemObject::new_data_event);
  platform::UniqueHandle event(CreateEventA(security.attributes(), TRUE, FALSE, name));
  const DWORD error = GetLastError();
  adoption = platform::Adoption::created;
  const bool found = event ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE;
  if (found) {
    adoption = platform::adopt_existing_object(event.get(), platform::SystemObject::new_data_event, name, true);
    if (adoption == platform::Adoption::refused) return platform::UniqueHandle();
    ResetEvent(event.get());
  } else if (!event) {
    debug_trace("UPS::CreateEvent error: %u\n", static_cast<unsigned>(error));
  }
  return event;
}

platform::UniqueHandle open_new_data_event(const char* name) {
  return platform::UniqueHandle(OpenEventA(platform::kEventUserAccess, FALSE, name));
}

}  // namespace ipc
