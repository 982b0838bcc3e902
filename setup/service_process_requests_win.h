// Requests the service host makes of the library inside its own process: the system's
// notifications forwarded to the monitor window `CWndUPS`, event lines for the statistics log, the
// keeper of the pipe's instances, and the critical point's wait for the network clients.
//
// Any thread. The notifications are sent (not posted): they are handled before the call returns.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ipc/pipe_keeper_win.h"
#include "setup/setup_export.h"

namespace installation {

// WM_ENDSESSION (the session ends) or WM_POWERBROADCAST with `event` to the monitor window the
// running core of this process made; nothing when monitoring does not run here.
void forward_end_session();
void forward_power_event(WPARAM event);

// The record's text, taken as it is (never as a format), as an event line with its code. Nothing
// for a null record or text.
void record_event(const EventRecord* record);

// The next UPSInit of this process serves the pipe's instances `keeper` holds, or leaves the ones
// it creates there (ipc/pipe_keeper_win.h). Null, or a keeper of another layout: none from now on.
void keep_pipe_with(ipc::PipeKeeper* keeper);

// Blocks the calling thread for the wait (see kLetNetworkClientsGoFirst).
void let_network_clients_go_first();

}  // namespace installation
