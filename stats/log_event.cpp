#include "stats/log_event.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "stats/event_line.h"
#include "stats/system_stat_env.h"

namespace stats {
namespace {

std::atomic<EventListener> event_listener{nullptr};

bool is_continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Keeps the whole characters that fit before the last byte of the `room` bytes formatted, and
// ends the line after them.
std::string_view end_cut_message(char* text, std::size_t room) {
  std::size_t end = room - 1;
  while (end > 0 && is_continuation_byte(text[end])) --end;
  text[end] = '\n';
  return {text, end + 1};
}

void tell_event_listener(int code, std::string_view message) {
  if (EventListener listener = event_listener.load()) listener(code, message);
}

}  // namespace

stat_core& process_stat_core() {
  static stat_core recorder(system_stat_files(), load_system_stat_config);
  return recorder;
}

void set_event_listener(EventListener listener) { event_listener = listener; }

}  // namespace stats

int log_event(int code, const char* format, ...) {
  char text[stats::kEventBufferSize];
  std::va_list args;
  va_start(args, format);
  const int formatted = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (formatted < 0) return 0;
  std::string_view message(text, static_cast<std::size_t>(formatted));
  if (message.size() >= sizeof text) message = stats::end_cut_message(text, sizeof text - 1);
  stats::process_stat_core().add_event(code, message);
  stats::tell_event_listener(code, message);
  return static_cast<int>(message.size());
}
