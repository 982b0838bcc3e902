#include "core/event_log.h"

#include <cstdarg>
#include <cstdio>

namespace core {

void write_event(CoreHooks& hooks, event::Text text, ...) {
  char line[512];
  std::va_list args;
  va_start(args, text);
  std::vsnprintf(line, sizeof line, text.format, args);
  va_end(args);
  hooks.log_event(text.code, line);
}

std::string with_argument(const char* format, std::string_view argument) {
  std::string text = format;
  if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace core
