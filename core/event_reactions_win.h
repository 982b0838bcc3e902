// What follows each event line in the process that monitors: its entry in the Windows Event Log
// and the administrator's command on it. Installed by the monitoring's start as the listener of
// log_event, for the life of the library.
#pragma once

namespace core {

void install_event_reactions();

}  // namespace core
