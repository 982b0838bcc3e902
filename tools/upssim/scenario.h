// Scenario and control-file lines: a command of the simulator's language, either bare (run at once:
// at start for a scenario, on arrival for the control file) or timed as "at <seconds> <command>",
// seconds of real time since the simulator started (fractions allowed).
// "#" starts a comment, to the end of the line; blank lines are ignored.
//
// A scenario file is checked whole before the simulator starts: its first bad line is the error,
// named as "file:line: why".
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "tools/upssim/parsed.h"
#include "tools/upssim/sim_command.h"

namespace upssim {

struct ScriptStep {
  double at_s = 0;  // 0 for a bare command: it is due at once
  SimCommand command;
  std::string origin;  // "scenario line 3", "control"; for the log
};

// An empty optional for a blank or comment line.
Parsed<std::optional<ScriptStep>> parse_script_line(std::string_view line);

Parsed<std::vector<ScriptStep>> parse_scenario(std::string_view text, std::string_view file_name);

}  // namespace upssim
