// CWndC: the tray application's hidden window "ControlManageUPS". It carries the notification
// icon and the pop-up notifier, ticks once a second (pipe, GUI exit request, new data), shows the
// menu and the status text, follows session and power events and opens the sheets.
//
// GUI thread only: the tick is a timer of this window, dispatched by whichever message loop runs
// (the sheets' modal loops included).
#pragma once

#include <windows.h>

#include <string>

#include "tray/notify_icon_win.h"
#include "tray/tray_ids.h"
#include "tray/taskbar_notifier_win.h"
#include "tray/tray_session_win.h"

namespace tray {

class CWndC final : private ipc::PipeClientEvents {
 public:
  // With `sheet_message` (kMsgShowSettings or kMsgShowStatistics) the window shows no icon, opens
  // that sheet at once and closes with it: an elevated start of the host.
  explicit CWndC(TraySession& session, unsigned sheet_message = 0)
      : session_(session), sheet_message_(sheet_message) {}
  CWndC(const CWndC&) = delete;
  CWndC& operator=(const CWndC&) = delete;

  // Creates the hidden window (class name made at run time) and adds the icon; a sheet's window has
  // no title, so nothing takes it for the tray application.
  bool create();
  HWND window() const { return hwnd_; }

 private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static void CALLBACK on_timer(HWND hwnd, UINT, UINT_PTR, DWORD);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

  void on_create();
  void on_close();
  void tick();
  void follow_presence(const ServiceSigns& signs);
  void refresh();
  void on_icon_callback(LPARAM mouse_message);
  void show_menu();
  void show_status_text();
  void on_session_change(WPARAM code, LPARAM session_id);
  void on_power_event(WPARAM event);
  void open_settings();
  void open_statistics();
  // A sheet already open comes to the front instead of a second one; true when there was one.
  bool bring_open_sheet_forward() const;
  // The service's flush answer goes to the statistics page that asked for it, if it still waits.
  void on_stat_flushed() override;
  // A refused request is explained to the user in a balloon.
  void on_answer(std::uint32_t cmd, std::uint32_t missing) override;
  // A request of the menu goes to the service; without the pipe the user learns why not.
  void send_request(const ipc::PipeMessage& request);

  // The sheet-only window closes once its sheet did.
  void sheet_closed();

  TraySession& session_;
  const unsigned sheet_message_;
  HWND hwnd_ = nullptr;
  NotifyIcon icon_{nullptr};
  CTaskbarNotifier notifier_;
  UINT taskbar_created_ = 0;
  bool sessions_registered_ = false;
  TrayIcon shown_icon_ = TrayIcon::no_link;
  bool shown_present_ = false;
  // While a sheet is open: its frame window, the information page while that page is active and
  // the statistics page waiting for the flush answer.
  bool sheet_open_ = false;
  HWND sheet_frame_ = nullptr;
  HWND info_page_ = nullptr;
  HWND flush_waiter_ = nullptr;
};

}  // namespace tray
