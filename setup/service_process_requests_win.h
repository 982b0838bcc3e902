// Requests the service host makes of the library inside its own process: the system's
// notifications forwarded to the monitor window `CWndUPS`, and event lines for the statistics log.
//
// Any thread. The notifications are sent (not posted): they are handled before the call returns.
#pragma once

#include <windows.h>

#include <cstdint>

#include "setup/setup_export.h"

namespace installation {

// WM_ENDSESSION (the session ends) or WM_POWERBROADCAST with `event` to the monitor window the
// running core of this process made; nothing when monitoring does not run here.
void forward_end_session();
void forward_power_event(WPARAM event);

// The record's text, taken as it is (never as a format), as an event line with its code. Nothing
// for a null record or text.
void record_event(const EventRecord* record);

}  // namespace installation
