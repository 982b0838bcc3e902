// How a command-line power-action request ended, and what the user is told: the text for the
// standard error and the program's exit code. Pure; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace service {

enum class PowerSwitchOutcome {
  accepted,      // the service took the request
  refused,       // the service refused it: the caller lacks rights (pipe_rights.h)
  no_service,    // no service runs: there is no one to ask
  no_pipe,       // the service runs, but its pipe cannot be had (not created, every instance busy)
  pipe_taken,    // the pipe's server is another process, not the service
  unanswered,    // the request was sent, the answer did not come in time
};

struct PowerSwitchReport {
  int exit_code = 0;
  std::string text;  // UTF-8; empty when there is nothing to say
};

// `missing`: the rights the service found lacking, for `refused`.
PowerSwitchReport power_switch_report(PowerSwitchOutcome outcome, std::uint32_t missing);

}  // namespace service
