// One line of a day's event file ("%d_log.dat"): the local time and the event code as
// "%02d:%02d:%02d|%02d|", then the message exactly as it was formatted, Windows-1251 bytes, with
// its own line end (a single line feed).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/side_effects.h"

namespace stats {

// Messages are formatted into, and lines built in, buffers of this size, terminator included.
constexpr std::size_t kEventBufferSize = 8192;

struct EventLine {
  std::string bytes;               // what is appended to the file, prefix included
  std::size_t message_length = 0;  // bytes of the message part in `bytes`
};

// A line longer than the buffer allows is cut; a cut line still ends in a line feed, so that the
// next event starts a line of its own.
EventLine build_event_line(const platform::LocalTime& time, int code, std::string_view message);

}  // namespace stats
