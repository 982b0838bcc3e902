// The hidden window "ServiceUPS" (class CWndUPS) of the service process, on a thread of its own:
// it receives the system's suspend and resume broadcasts and the end-of-session message (the
// service host forwards its shutdown control as one) and hands them to the power watchers.
#pragma once

#include "core/library_core_win.h"

namespace core {

inline constexpr char kMonitorWindowClass[] = "CWndUPS";
inline constexpr char kMonitorWindowTitle[] = "ServiceUPS";

// Starts the thread; the window's handle appears in core.window once it exists.
bool start_monitor_window(LibraryCore& core);
// Closes the window and waits until its thread has ended.
void stop_monitor_window(LibraryCore& core);

}  // namespace core
