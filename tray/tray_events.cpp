#include "tray/tray_events.h"

#include "platform/debug_trace.h"

namespace tray {

bool wait_for_service(const std::function<bool()>& try_open, const std::function<void()>& pause) {
  for (int waits = 1;; ++waits) {
    if (try_open()) return true;
    pause();
    debug_trace("UPS_UI::Wait service UPS %d\n", waits);
    if (waits > kMaxServiceWaits) return false;
  }
}

TickActions tick_actions(std::uint32_t gui_exit_request, bool new_data_signalled, bool info_page_showing) {
  TickActions actions;
  actions.close = gui_exit_request != 0;
  actions.refresh = new_data_signalled;
  actions.notify_info_page = new_data_signalled && info_page_showing;
  return actions;
}

SessionChange session_change(unsigned code) {
  switch (code) {
    case 1:  // console connect
    case 3:  // remote connect
    case 5:  // logon
      return SessionChange::activate;
    case 2:  // console disconnect
    case 4:  // remote disconnect
    case 6:  // logoff
      return SessionChange::deactivate;
    default:  // lock, unlock, remote control
      return SessionChange::none;
  }
}

const char* power_event_trace(unsigned event) {
  switch (event) {
    case 4:  // PBT_APMSUSPEND
      return "UPS_UI::suspend mode detected\n";
    case 7:  // PBT_APMRESUMESUSPEND
      return "UPS_UI::resume from suspend detected\n";
    default:
      return nullptr;
  }
}

}  // namespace tray
