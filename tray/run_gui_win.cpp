// runGUI: the tray application of one logged-on user, started by the service host's "/gui". It
// waits for the service, connects to it, shows the icon and runs until closed.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ipc/new_data_event_win.h"
#include "ipc/pipe_client_token_win.h"
#include "ipc/shared_block_win.h"
#include "platform/debug_trace.h"
#include "platform/library_search_win.h"
#include "platform/registry_win.h"
#include "platform/system_function_win.h"
#include "tray/tray_events.h"
#include "tray/tray_window_win.h"

namespace tray {
namespace {

// Two of the service's polling cycles: time for it to listen again after a client left.
constexpr DWORD kPipeStartLimitMs = 2000;

bool config_writable() { return static_cast<bool>(platform::open_key(platform::kConfigKeyPath)); }

bool open_new_data_event(TraySession& session) {
  const bool opened = wait_for_service(
      [&] {
        session.new_data_event = ipc::open_new_data_event();
        return session.new_data_event.is_open();
      },
      [] { Sleep(1000); });
  debug_trace("UPS_UI::newDataUPS:%08x\n",
              static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(session.new_data_event.get())));
  return opened;
}

SessionNotifications find_session_notifications() {
  SessionNotifications found;
  found.library = platform::load_system_library(L"WtsApi32.dll");
  found.register_window =
      platform::find_system_function<SessionNotifications::Register>(found.library, "WTSRegisterSessionNotification");
  found.unregister_window = platform::find_system_function<SessionNotifications::Unregister>(
      found.library, "WTSUnRegisterSessionNotification");
  if (!found.available())
    debug_trace("UPS_UI::Error with WtsApi32.dll, Fast User Switching - disabled or manual\n");
  return found;
}

// Start-up up to the shared block; false when the tray application must give up. A pipe that
// cannot be had (every instance busy, or its name taken by another process) is tried again every
// tick: the icon follows the block meanwhile.
bool connect_to_service(TraySession& session) {
  session.restricted = !config_writable();
  if (!open_new_data_event(session)) {
    Beep(900, 500);
    return false;
  }
  session.rights = ipc::rights_of_this_process();
  const bool connected = session.pipe.connect_within(kPipeStartLimitMs);
  debug_trace("UPS_UI::CONNECT IPC:%d\n", connected ? 1 : 0);
  session.sessions = find_session_notifications();
  const bool attached = ipc::open_shared_block(session.block_holder, false);
  debug_trace("UPS_UI::CONNECT SMAP:%d\n", attached ? 1 : 0);
  return attached;
}

int run_message_loop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// The window and its message loop: the tray's icon, or with `sheet_message` only that sheet.
int run_window(TraySession& session, UINT sheet_message) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  session.icons.load();
  int exit_code = 0;
  {
    CWndC window(session, sheet_message);
    if (window.create()) exit_code = run_message_loop();
    NotifyIcon(window.window()).remove();
  }
  CoUninitialize();
  session.pipe.disconnect();
  return exit_code;
}

int run_tray_application() {
  TraySession session;
  if (!connect_to_service(session)) return 0;
  return run_window(session, 0);
}

// A sheet opens whether the service runs or not: whatever of it is there is used, nothing waited for.
int run_sheet(DWORD which) {
  const UINT sheet_message = which == kSettingsSheet     ? kMsgShowSettings
                             : which == kStatisticsSheet ? kMsgShowStatistics
                                                         : 0;
  if (sheet_message == 0) return 1;
  TraySession session;
  session.restricted = !config_writable();
  session.new_data_event = ipc::open_new_data_event();
  session.rights = ipc::rights_of_this_process();
  session.pipe.connect_within(kPipeStartLimitMs);
  ipc::open_shared_block(session.block_holder, false);
  return run_window(session, sheet_message);
}

}  // namespace
}  // namespace tray

extern "C" int WINAPI runGUI() { return tray::run_tray_application(); }
// `which`: kSettingsSheet or kStatisticsSheet (the host's "/settings", "/statisticsSheet").
extern "C" int WINAPI runSheet(DWORD which) { return tray::run_sheet(which); }
