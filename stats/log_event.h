// The recorder of this process and log_event, the call through which every part of the system
// writes a line to the day's event file (codes and texts: the event table of the monitoring core).
//
// Thread-safe, like the recorder. Lines are written only in the service process, once monitoring
// has loaded the statistics configuration with recording on; elsewhere log_event formats and
// returns without writing.
#pragma once

#include <cstddef>
#include <string_view>

#include "stats/stat_core.h"

namespace stats {

// Created at first use, destroyed when the program or library is unloaded.
stat_core& process_stat_core();

// Told of every line after it went to the recorder, whether or not recording is on: its code and
// its message as formatted (cut like the line). Called on the thread that logged the line.
using EventListener = void (*)(int code, std::string_view message);
// Installs `listener` (nullptr: none) for the whole process.
void set_event_listener(EventListener listener);

}  // namespace stats

// Formats the message printf-style (UTF-8) into an 8,192-byte buffer, appends it with `code` to
// today's event file and tells the event listener. A message too long for the buffer is cut at a
// whole character and still ends its line. Returns the length of the formatted (possibly cut)
// message in bytes.
int log_event(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
