#include "core/event_report.h"

namespace core {
namespace {

using platform::EventLogKind;

struct CodeKind {
  int code;
  EventLogKind kind;
};

// Codes 21 and 22 also stand for the requested power actions 1 and 2: a warning either way.
constexpr CodeKind kKinds[] = {
    {1, EventLogKind::information},   // service started
    {2, EventLogKind::information},   // monitoring stopped
    {3, EventLogKind::information},   // link restored
    {4, EventLogKind::information},   // mains restored
    {5, EventLogKind::warning},       // on battery
    {6, EventLogKind::error},         // link lost
    {7, EventLogKind::error},         // UPS turned off at the critical point
    {8, EventLogKind::information},   // suspend noticed
    {9, EventLogKind::information},   // suspend by the user noticed
    {10, EventLogKind::warning},      // UPS turned off after a suspend
    {11, EventLogKind::information},  // shutdown noticed
    {12, EventLogKind::information},  // shutdown by the user noticed
    {13, EventLogKind::warning},      // UPS turned off after a shutdown
    {14, EventLogKind::error},        // critical point
    {15, EventLogKind::error},        // critical action
    {17, EventLogKind::warning},      // battery low, by the UPS
    {18, EventLogKind::information},  // resumed
    {19, EventLogKind::information},  // voltage regulation on
    {20, EventLogKind::information},  // voltage regulation off
    {21, EventLogKind::warning},      // capacity threshold
    {22, EventLogKind::warning},      // voltage threshold
    {23, EventLogKind::warning},      // requested restart
    {24, EventLogKind::warning},      // requested standby
    {25, EventLogKind::warning},      // requested power-off, UPS left on
    {26, EventLogKind::warning},      // requested hibernation, UPS left on
    {30, EventLogKind::warning},      // power action rehearsed, not done
    {39, EventLogKind::error},        // administrator's command not started
    {40, EventLogKind::warning},      // administrator's command ended at its limit
    {41, EventLogKind::error},        // monitoring not started
    {42, EventLogKind::information},  // the other computers waited for at the critical point
    {43, EventLogKind::error},        // a network client ordered every computer down (FSD)
    {44, EventLogKind::error},        // NUT server not started
    {45, EventLogKind::error},        // the NUT server ordered every computer down (FSD)
    {46, EventLogKind::warning},      // the NUT server refused the login
    {47, EventLogKind::information},  // the NUT server told of this computer's critical action
    {52, EventLogKind::error},        // hibernation refused
};

}  // namespace

EventLogKind event_log_kind(int code) {
  for (const CodeKind& entry : kKinds)
    if (entry.code == code) return entry.kind;
  return EventLogKind::warning;
}

std::string_view event_report_text(std::string_view message) {
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.remove_suffix(1);
  return message;
}

}  // namespace core
