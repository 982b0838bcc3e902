// How an event line reaches the Windows Event Log: the entry's kind follows the event's meaning,
// its event ID is the line's code and its one insertion string the line's message.
//
// Pure; any thread.
#pragma once

#include <string_view>

#include "platform/event_log_kind.h"

namespace core {

// Errors: a critical action, a failure of the UPS or its link, a start that failed. Warnings:
// running on battery, thresholds, requested power actions, a rehearsal. Information: starts,
// stops, mains and link returning, what the system noticed. A code this table does not know is a
// warning, so that a line added later is seen where administrators filter for trouble.
platform::EventLogKind event_log_kind(int code);

// The message without the line ends the event file needs after it.
std::string_view event_report_text(std::string_view message);

}  // namespace core
