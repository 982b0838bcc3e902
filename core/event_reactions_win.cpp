#include "core/event_reactions_win.h"

#include <string_view>

#include "core/event_commands_win.h"
#include "core/event_report.h"
#include "core/library_core_win.h"
#include "platform/system_event_log_win.h"
#include "stats/log_event.h"

namespace core {
namespace {

void react_to_event(int code, std::string_view message) {
  const std::string_view text = event_report_text(message);
  platform::report_to_event_log(static_cast<std::uint32_t>(code), event_log_kind(code), text);
  if (event_starts_command(code)) run_event_command({code, text, library_core().monitor.current_state});
}

}  // namespace

void install_event_reactions() { stats::set_event_listener(react_to_event); }

}  // namespace core
