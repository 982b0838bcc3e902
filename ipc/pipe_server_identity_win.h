// Whether the process at the server end of a connected pipe is the monitoring service, checked by
// every client before it sends anything: a process that took the pipe's name must receive neither
// requests nor settings, nor answer in the service's name.
#pragma once

#include <windows.h>

namespace ipc {

// The service "UPS" itself, a process running as SYSTEM, this process (a core and a tray in one
// process) or the process that started this one (orvik_ups /app monitors in the foreground and
// starts its tray). True where the system cannot name the server's process (before Vista).
bool pipe_server_is_the_service(HANDLE pipe);

// The process at the server end; 0 when the system cannot tell.
DWORD pipe_server_process(HANDLE pipe);

}  // namespace ipc
