// The administrator's commands on events as orvik_ups keeps them (the rules: event_command.h):
// string values of the service's "Events" key, named by the events' two-digit codes, and its DWORD
// "CriticalCommandWait". Only SYSTEM and the Administrators may change the key, since the
// service runs its commands as SYSTEM: the installation makes it so, and every change made here
// makes it so again.
//
// The program's one thread.
#pragma once

#include <cstdint>
#include <string>

namespace service {

// Exit codes of the switches.
enum EventSwitchResult : int {
  kEventSwitchDone = 0,
  kEventSwitchMalformed = 1,  // the line is not a switch the program understands; nothing done
  kEventSwitchFailed = 2,     // the registry could not be written (not an administrator)
};

// The key, made when missing and protected, with the critical point's default wait unless one is
// set. False when it cannot be written or protected.
bool prepare_event_commands_key();

// "/event:NN command" (UTF-8); an empty command clears it.
int set_event_command(int code, const std::string& command);
// "/eventwait:N".
int set_critical_command_wait(std::uint32_t seconds);
// "/events": the wait and each command, one a line, on the output stream.
int list_event_commands();
// A malformed event switch: says how they are written, on the error stream.
int refuse_event_switch();

}  // namespace service
