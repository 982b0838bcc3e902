// Decisions of the tray application's hidden window that do not need a window: waiting for the
// service at start-up, what a one-second tick does once the pipe was served, and the session and
// power events. GUI thread only.
#pragma once

#include <cstdint>
#include <functional>

namespace tray {

// Start-up tries this many times and one more, a second apart, to find the service's event.
inline constexpr int kMaxServiceWaits = 60;

// Calls `try_open` until it succeeds; after each failure pauses a second (`pause`) and traces
// "UPS_UI::Wait service UPS <n>"; gives up after the wait numbered kMaxServiceWaits + 1.
bool wait_for_service(const std::function<bool()>& try_open, const std::function<void()>& pause);

// The part of a tick after the pipe: the GUI exit request (any nonzero value) closes the window;
// a signalled new-data event refreshes the icon and the information page if one is showing.
struct TickActions {
  bool close = false;
  bool refresh = false;
  bool notify_info_page = false;
};
TickActions tick_actions(std::uint32_t gui_exit_request, bool new_data_signalled, bool info_page_showing);

// WM_WTSSESSION_CHANGE: which codes give this session the pipe and which take it away.
enum class SessionChange { none, activate, deactivate };
SessionChange session_change(unsigned code);

// WM_POWERBROADCAST: the line a suspend or resume leaves in the trace; null for other events.
const char* power_event_trace(unsigned event);

}  // namespace tray
