#include "tray/tray_window_win.h"

#include <cstdio>

#include "ipc/cycle_write_count.h"
#include "ipc/pipe_rights.h"
#include "platform/debug_trace.h"
#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "platform/wide_text_win.h"
#include "platform/window_class_win.h"
#include "tray/elevated_start_win.h"
#include "tray/status_text.h"
#include "tray/tray_events.h"
#include "tray/tray_ids.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_win.h"
#include "settings/settings_sheet_win.h"
#include "statsheet/stat_sheet_win.h"
#include "tray/tray_resource_ids.h"

namespace tray {
namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;
constexpr UINT kSessionChangeMessage = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr DWORD kNotifyForThisSession = 0;
constexpr char kRequestNotDoneTitle[] = "Запрос не выполнен";

// A class name of its own per process and load: no other program can claim it first.
std::wstring generated_class_name(const void* self) {
  wchar_t name[64];
  std::swprintf(name, 64, L"OrvikTray%08lx%p", GetCurrentProcessId(), self);
  return name;
}

// A DWORD of the Config key opened for reading and writing; 0 when either fails (restricted mode).
std::uint32_t config_switch(const char* name) {
  std::uint32_t value = 0;
  const platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  if (!config || !platform::read_dword_value(config.get(), name, value)) return 0;
  return value;
}

}  // namespace

bool CWndC::create() {
  const std::wstring class_name = generated_class_name(this);
  platform::register_window_class(class_name.c_str(), procedure, nullptr, 0);
  hwnd_ = CreateWindowExW(0, class_name.c_str(), sheet_message_ ? L"" : kTrayWindowTitle, 0, 0, 0, 0, 0, nullptr,
                          nullptr, platform::this_module(), this);
  if (!hwnd_) return false;
  if (sheet_message_) return PostMessageW(hwnd_, sheet_message_, 0, 0) != FALSE;
  icon_ = NotifyIcon(hwnd_);
  icon_.add(session_.icons.icon(TrayIcon::no_link), "UPS");
  SetForegroundWindow(hwnd_);
  return true;
}

LRESULT CALLBACK CWndC::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CWndC* self = platform::window_owner<CWndC>(hwnd, message, lparam);
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->handle(message, wparam, lparam);
}

LRESULT CWndC::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      on_create();
      return 0;
    case WM_CLOSE:
      on_close();
      return 0;
    case kMsgTrayIcon:
      on_icon_callback(lparam);
      return 0;
    case kMsgRefresh:
      refresh();
      return 0;
    case kMsgShowSettings:
      open_settings();
      return 0;
    case kMsgShowStatistics:
      open_statistics();
      return 0;
    case kSessionChangeMessage:
      on_session_change(wparam, lparam);
      return 0;
    case WM_POWERBROADCAST:
      on_power_event(wparam);
      return TRUE;
    default:
      break;
  }
  if (taskbar_created_ && message == taskbar_created_) {
    // The shell restarted: the icon is gone with it.
    icon_.add(session_.icons.icon(TrayIcon::no_link), "UPS");
    shown_icon_ = TrayIcon::no_link;
    SetForegroundWindow(hwnd_);
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void CWndC::on_create() {
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  SetTimer(hwnd_, kTickTimer, kTickMs, on_timer);
  if (session_.sessions.available())
    sessions_registered_ = session_.sessions.register_window(hwnd_, kNotifyForThisSession);
  notifier_.create(hwnd_);
  notifier_.set_skin(IDB_NOTIFIER_SKIN);
  notifier_.set_text_font(L"Arial", 90);
  notifier_.set_text_colours(RGB(0, 0, 0), RGB(0, 0, 200));
  const int inset = 10;
  notifier_.set_text_rect(RECT{inset, inset, notifier_.width() - inset, notifier_.height() - inset});
}

void CWndC::on_close() {
  icon_.remove();
  if (sessions_registered_) session_.sessions.unregister_window(hwnd_);
  sessions_registered_ = false;
  DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

void CALLBACK CWndC::on_timer(HWND hwnd, UINT, UINT_PTR, DWORD) {
  if (auto* self = reinterpret_cast<CWndC*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->tick();
}

void CWndC::tick() {
  const bool had_pipe = session_.pipe.is_connected();
  const bool polled = session_.pipe.poll(session_.session_active, *this);
  const bool signalled = WaitForSingleObject(session_.new_data_event.get(), 0) == WAIT_OBJECT_0;
  follow_presence(ServiceSigns{session_.pipe.is_connected(), had_pipe && !session_.pipe.is_connected(), signalled,
                               ipc::current_write_count(session_.block())});
  if (polled) return;
  const TickActions actions = tick_actions(session_.block().gui_exit_request, signalled, info_page_ != nullptr);
  if (actions.close) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  if (actions.refresh) PostMessageW(hwnd_, kMsgRefresh, 0, 0);
  if (actions.notify_info_page) PostMessageW(info_page_, kMsgNewData, 0, 0);
}

void CWndC::follow_presence(const ServiceSigns& signs) {
  session_.presence.looked_at(signs, GetTickCount());
  const bool present = session_.service_present();
  // One line per change: the trace tells when the tray began and stopped calling the service there.
  if (present != shown_present_) debug_trace(present ? "UPS_UI::service present\n" : "UPS_UI::service gone\n");
  shown_present_ = present;
}

void CWndC::refresh() {
  if (sheet_message_) return;
  const TrayLook look = tray_look(block_copy(session_.block()));
  icon_.modify(session_.icons.icon(look.icon), look.tip);
  // One line per change, so the trace tells what the user was shown and when.
  if (look.icon != shown_icon_) debug_trace("UPS_UI::icon %s\n", tray_icon_name(look.icon));
  shown_icon_ = look.icon;
}

void CWndC::on_icon_callback(LPARAM mouse_message) {
  if (mouse_message == WM_RBUTTONDOWN) show_menu();
  if (mouse_message == WM_LBUTTONDOWN) show_status_text();
}

void CWndC::show_menu() {
  if (bring_open_sheet_forward()) return;
  const unsigned chosen =
      track_tray_menu(hwnd_, build_tray_menu(block_copy(session_.block()), session_.rights));
  const MenuChoice choice = carry_out_menu_command(chosen, block_copy(session_.block()), session_.restricted);
  switch (choice.effect) {
    case MenuEffect::send_request:
      send_request(choice.request);
      break;
    case MenuEffect::open_settings:
      open_settings();
      break;
    case MenuEffect::open_statistics:
      open_statistics();
      break;
    case MenuEffect::elevate_settings:
      start_elevated_host(hwnd_, L"/settings");
      break;
    case MenuEffect::elevate_statistics:
      start_elevated_host(hwnd_, L"/statisticsSheet");
      break;
    case MenuEffect::close:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      break;
    case MenuEffect::none:
      break;
  }
}

void CWndC::show_status_text() {
  const ipc::UpsSharedBlock block = block_copy(session_.block());
  const std::string title = balloon_title(platform::code_page_to_utf8(block_field_text(block.model)),
                                          platform::code_page_to_utf8(block_field_text(block.port)));
  const std::string text = status_text(block, session_.service_present(), config_switch("TrayTempInfo") != 0);
  if (config_switch("AltTrayInfo"))
    notifier_.show(platform::to_wide(text));
  else
    icon_.balloon(title, text);
}

void CWndC::on_session_change(WPARAM code, LPARAM session_id) {
  switch (session_change(static_cast<unsigned>(code))) {
    case SessionChange::activate:
      session_.session_active = true;
      debug_trace("UPS_UI::logon sessionID:%d detected\n", static_cast<int>(session_id));
      break;
    case SessionChange::deactivate:
      session_.session_active = false;
      session_.pipe.disconnect();
      debug_trace("UPS_UI::logoff for sessionID:%d freed\n", static_cast<int>(session_id));
      break;
    case SessionChange::none:
      break;
  }
}

void CWndC::on_power_event(WPARAM event) {
  if (session_.restricted || !session_.session_active) return;
  if (const char* line = power_event_trace(static_cast<unsigned>(event))) debug_trace("%s", line);
}

bool CWndC::bring_open_sheet_forward() const {
  if (!sheet_open_) return false;
  if (sheet_frame_) SetForegroundWindow(sheet_frame_);
  return true;
}

void CWndC::open_settings() {
  if (bring_open_sheet_forward()) return;
  sheet_open_ = true;
  settings::SheetServices services;
  services.restricted = session_.restricted;
  services.block = &session_.block();
  services.pipe = &session_.pipe;
  services.service_present = [this] { return session_.service_present(); };
  services.reload_icons = [this] { session_.icons.load(); };
  services.frame_created = [this](HWND frame) { sheet_frame_ = frame; };
  services.information_page = [this](HWND page) { info_page_ = page; };
  settings::run_settings_sheet(hwnd_, services);
  sheet_open_ = false;
  sheet_frame_ = nullptr;
  info_page_ = nullptr;
  sheet_closed();
}

void CWndC::open_statistics() {
  if (bring_open_sheet_forward()) return;
  sheet_open_ = true;
  statsheet::StatSheetServices services;
  services.pipe = &session_.pipe;
  services.frame_created = [this](HWND frame) { sheet_frame_ = frame; };
  services.flush_waiter = [this](HWND page) { flush_waiter_ = page; };
  statsheet::run_statistics_sheet(hwnd_, services);
  sheet_open_ = false;
  sheet_frame_ = nullptr;
  flush_waiter_ = nullptr;
  sheet_closed();
}

void CWndC::sheet_closed() {
  if (sheet_message_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void CWndC::on_stat_flushed() {
  if (flush_waiter_) PostMessageW(flush_waiter_, kMsgNewData, 0, 0);
}

void CWndC::on_answer(std::uint32_t cmd, std::uint32_t missing) {
  if (missing == 0) return;
  debug_trace("UPS_UI::request cmd:%u refused: lacks %u\n", static_cast<unsigned>(cmd), static_cast<unsigned>(missing));
  icon_.balloon(kRequestNotDoneTitle, ipc::refusal_text(missing));
}

void CWndC::send_request(const ipc::PipeMessage& request) {
  if (session_.pipe.is_connected() && session_.pipe.write(request)) return;
  icon_.balloon(kRequestNotDoneTitle, kNoServiceText);
}

}  // namespace tray
