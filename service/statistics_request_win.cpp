#include "service/statistics_request_win.h"

#include <windows.h>

#include "ipc/new_data_event_win.h"
#include "platform/debug_trace.h"
#include "platform/registry_win.h"
#include "service/tray_autostart_win.h"
#include "tray/tray_ids.h"

namespace service {
namespace {

// Finding the service's event, connecting the pipe (at most two seconds) and creating the window.
constexpr DWORD kTrayStartLimitMs = 15000;

HWND tray_window() { return FindWindowW(nullptr, tray::kTrayWindowTitle); }

HWND start_tray_and_wait() {
  start_tray_application();
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while (!(window = tray_window()) && GetTickCount() - start < kTrayStartLimitMs) Sleep(100);
  return window;
}

int tell_user(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"Статистика", MB_OK | MB_ICONINFORMATION);
  return 1;
}

}  // namespace

int show_statistics() {
  // The tray greys its "Статистика" for users who may not change the settings; say so instead.
  if (!platform::open_key(platform::kConfigKeyPath))
    return tell_user(L"Статистику открывают только пользователи, которым доступны настройки ИБП.");
  HWND window = tray_window();
  if (!window && ipc::open_new_data_event()) window = start_tray_and_wait();
  if (!window) return tell_user(L"Служба ИБП не запущена: статистика будет доступна после её запуска.");
  DWORD tray_process = 0;
  GetWindowThreadProcessId(window, &tray_process);
  AllowSetForegroundWindow(tray_process);  // the sheet comes up in front, as if opened here
  PostMessageW(window, tray::kMsgShowStatistics, 0, 0);
  debug_trace("UPS::statistics requested from the tray application\n");
  return 0;
}

}  // namespace service
