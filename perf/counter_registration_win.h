// Registering the performance counters with the system, and removing them again: the provider
// entries of the driver library under the service's Performance key, counter and help indexes
// above the system's highest ones, and the names and help texts in every language's text base.
//
// The counters are registered exactly when the key UPS\Performance exists. The settings window
// switches between the two states; installation does not register. Runs on the caller's thread
// and takes no lock against other writers of the Perflib key.
#pragma once

#include <windows.h>

namespace perf {

// Writes the entries for `library` (the driver library's module), allocates the indexes and adds
// the texts. 1 on success, 0 when a key could not be opened or the system's highest indexes could
// not be read.
int register_counters(HMODULE library);

// Removes the texts (when the allocated indexes can be read) and the Performance key with
// everything in it, and lowers the system's highest indexes to what the text bases still use.
// 1 on success, 0 when a key could not be opened.
int unregister_counters();

// 1 registered, 0 not registered, -1 error. Removes the provider's older key "UPSperf" on the way.
int query_counters_state();

// 0 when already registered; otherwise clears what an earlier registration left and registers.
int ensure_counters_registered(HMODULE library);

}  // namespace perf
