// The Windows Event Log, where administrators watch their servers: entries of the source "UPS" in
// the Application log. Event Viewer reads each entry's text from the message table that both
// deliverables carry: one message per event ID, made of the entry's single insertion string.
//
// Reporting never fails or holds up its caller: when the log cannot be reached or refuses an
// entry, the entry is dropped and the debug trace says so, once per process. Thread-safe.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/event_log_kind.h"

namespace platform {

inline constexpr char kEventSourceKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\UPS";

// One entry: `event_id` is the event's code, `utf8_text` its message (reported in UTF-16).
void report_to_event_log(std::uint32_t event_id, EventLogKind kind, std::string_view utf8_text);

}  // namespace platform
