// The command line's dealings with the service control manager about the service "UPS":
// starting it, stopping it, and the handles this takes.
//
// Blocking; used by the installer on the program's one thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/handles_win.h"

namespace service {

inline constexpr wchar_t kServiceName[] = L"UPS";

using platform::UniqueServiceHandle;

// The manager with full access; logs "UPS::OpenSCManager error %08x" when it cannot be opened.
UniqueServiceHandle open_service_manager();

// Starts the service and waits while it is starting; true when it runs.
bool start_ups_service();

// Whether the service exists and is running or starting.
bool ups_service_running();

// Stops the service when it exists: 0 when it is stopped or does not exist, else the error
// (5 when the manager cannot be opened, 1460 when it did not stop within 30 s).
std::uint32_t stop_ups_service_if_present();

// Waits until a deleted service "UPS" has left the manager, `limit_ms` at most: the manager removes
// it only once its process has ended and no handle to it is open (a console of services, a tool
// watching it). True when it is gone.
bool wait_until_service_removed(DWORD limit_ms);

}  // namespace service
