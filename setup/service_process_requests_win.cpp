#include "setup/service_process_requests_win.h"

#include "core/library_core_win.h"
#include "stats/log_event.h"

namespace installation {
namespace {

void send_to_monitor_window(UINT message, WPARAM wparam) {
  if (HWND window = core::library_core().window.load()) SendMessageA(window, message, wparam, 0);
}

}  // namespace

void forward_end_session() { send_to_monitor_window(WM_ENDSESSION, TRUE); }

void forward_power_event(WPARAM event) { send_to_monitor_window(WM_POWERBROADCAST, event); }

void keep_pipe_with(ipc::PipeKeeper* keeper) {
  core::library_core().pipe.keep_with(keeper && keeper->size == sizeof(ipc::PipeKeeper) ? keeper : nullptr);
}

void let_network_clients_go_first() { core::library_core().sharing.let_clients_go_first(); }

void record_event(const EventRecord* record) {
  if (!record || !record->text) return;
  log_event(static_cast<int>(record->code), "%s", record->text);
}

}  // namespace installation
