// The query thread: polls the UPS about once a second for as long as monitoring runs, and is the
// one thread that talks to the UPS (see polling_cycle.h for what one cycle does).
#pragma once

#include "core/library_core_win.h"
#include "link/ups_status.h"

namespace core {

// Starts the variant of the transport in use; `first_record` is UPSInit's first status.
bool start_query_thread(LibraryCore& core, const ups_link::UpsStatus& first_record);
// Clears running and waits until the thread has ended.
void stop_query_thread(LibraryCore& core);

}  // namespace core
