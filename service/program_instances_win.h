// The other running processes of this program: after the service's stop, the service's own process
// while it ends, the users' tray applications leaving on request, a command still finishing. While
// one of them runs, the program's files cannot be deleted or replaced.
//
// Blocking; used by the removal of the system on the program's one thread.
#pragma once

#include <windows.h>

namespace service {

// Waits until every other process whose program has this program's file name has ended,
// `limit_ms` at most from the call; one still running then is traced. A process this one may not
// open (another user's, without the right to wait for it) cannot be watched: it is given
// `unwatched_ms` from the call instead.
void wait_for_other_instances(DWORD limit_ms, DWORD unwatched_ms);

}  // namespace service
