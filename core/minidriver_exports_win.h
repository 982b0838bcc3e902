// The six minidriver exports of the driver library as a host binds them by name: the service host
// and the tests that host the monitoring core.
#pragma once

#include <windows.h>

#include "platform/system_function_win.h"

namespace core {

struct MinidriverExports {
  DWORD(WINAPI* init)() = nullptr;
  void(WINAPI* stop)() = nullptr;
  DWORD(WINAPI* get_state)() = nullptr;
  void(WINAPI* wait)(DWORD, DWORD) = nullptr;
  void(WINAPI* cancel_wait)() = nullptr;
  void(WINAPI* turn_off)(DWORD) = nullptr;

  // Binds the six exports of `library`; false when one is missing.
  bool bind(HMODULE library) {
    using platform::find_system_function;
    init = find_system_function<decltype(init)>(library, "UPSInit");
    stop = find_system_function<decltype(stop)>(library, "UPSStop");
    get_state = find_system_function<decltype(get_state)>(library, "UPSGetState");
    wait = find_system_function<decltype(wait)>(library, "UPSWaitForStateChange");
    cancel_wait = find_system_function<decltype(cancel_wait)>(library, "UPSCancelWait");
    turn_off = find_system_function<decltype(turn_off)>(library, "UPSTurnOff");
    return init && stop && get_state && wait && cancel_wait && turn_off;
  }
};

}  // namespace core
