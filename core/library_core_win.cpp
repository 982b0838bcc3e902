#include "core/library_core_win.h"

#include "core/event_texts.h"
#include "nut/server_address.h"
#include "stats/log_event.h"

namespace core {
namespace {
const DWORD g_loaded_at = GetTickCount();
}

LibraryCore& library_core() {
  static LibraryCore core;
  return core;
}

std::uint32_t process_clock_ms() { return GetTickCount() - g_loaded_at; }

namespace {

std::string server_label(const LibraryCore& core) {
  return nut::server_address_label(core.network->session().settings().address);
}

}  // namespace

void record_login_refusal(const LibraryCore& core, const std::string& refusal) {
  log_event(event::kServerLoginRefused.code, event::kServerLoginRefused.format, server_label(core).c_str(),
            refusal.c_str());
}

void end_network_session(LibraryCore& core, bool after_critical_action) {
  core.hold_network_session = false;
  if (core.network) {
    const bool counted = after_critical_action && core.network->session().logged_in();
    core.network->log_out();
    if (counted) log_event(event::kServerLoggedOut.code, event::kServerLoggedOut.format, server_label(core).c_str());
    core.network.reset();
  }
  core.tcp.release();
}

}  // namespace core
