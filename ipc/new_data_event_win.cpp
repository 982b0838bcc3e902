#include "ipc/new_data_event_win.h"

#include "platform/debug_trace.h"
#include "platform/security_win.h"

namespace ipc {

platform::UniqueHandle create_new_data_event(const char* name) {
  platform::ObjectSecurity security(platform::SystemObject::new_data_event);
  platform::UniqueHandle event(CreateEventA(security.attributes(), TRUE, FALSE, name));
  if (!event) {
    debug_trace("UPS::CreateEvent error: %u\n", static_cast<unsigned>(GetLastError()));
    return event;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) ResetEvent(event.get());
  return event;
}

platform::UniqueHandle open_new_data_event(const char* name) {
  return platform::UniqueHandle(OpenEventA(platform::kEventUserAccess, FALSE, name));
}

}  // namespace ipc
