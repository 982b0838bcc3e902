#include "stats/event_line.h"

#include <cstdio>

namespace stats {

EventLine build_event_line(const platform::LocalTime& time, int code, std::string_view message) {
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "%02d:%02d:%02d|%02d|", time.hour, time.minute, time.second, code);
  EventLine line{prefix, 0};
  const std::size_t room = kEventBufferSize - 1 - line.bytes.size();
  const bool cut = message.size() > room;
  line.bytes.append(message.substr(0, room));
  if (cut) line.bytes.back() = '\n';
  line.message_length = line.bytes.size() - std::char_traits<char>::length(prefix);
  return line;
}

}  // namespace stats
