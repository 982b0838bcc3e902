// The administrator's command on an event (the rules: event_command.h), started by the process
// that monitors: as its account (SYSTEM for the service) and in its session, without a window,
// with the event in its environment, and with what it writes to its output and error streams
// appended to the debug trace line by line. The critical point waits for its command at most
// "CriticalCommandWait" seconds, then ends it together with whatever it started.
//
// A command that cannot be started, or that is refused because others than the Administrators
// could have written it, is recorded as an event line (code 39), as is one ended at its limit
// (code 40); neither holds up the caller beyond the limit.
//
// Any thread; commands of several events may run at once.
#pragma once

#include "core/event_command.h"

namespace core {

void run_event_command(const EventFacts& facts);

}  // namespace core
