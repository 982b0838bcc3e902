// SimCommand: one command of the simulator's own language, spoken by scenario files and the control
// file (never by the serial line). One command per line, words separated by blanks:
//
//   mains on|off          input <V>           outage-input <V>     frequency <Hz>
//   load <%>              battery <V>         nominal <V>          low-level <V>
//   cutoff-level <V>      lowbat on|off       lowbat-hold on|off   fault on|off
//   temp none|<C>         beeper on|off       jitter on|off        silence on|off
//   ignore <n>            noise <n>           garbage <n>          overlong <n>
//   echo on|off           slow <ms>           cr-reply on|off      quit
//
// Numbers are plain decimals; each has a range that keeps the status line well formed.
#pragma once

#include <string>
#include <string_view>

#include "tools/upssim/parsed.h"

namespace upssim {

enum class SimVerb {
  mains,
  input,
  outage_input,
  frequency,
  load,
  battery,
  nominal,
  low_level,
  cutoff_level,
  lowbat,
  lowbat_hold,
  fault,
  temp,
  beeper,
  jitter,
  silence,
  ignore,
  noise,
  garbage,
  overlong,
  echo,
  slow,
  cr_reply,
  quit,
};

struct SimCommand {
  SimVerb verb = SimVerb::quit;
  bool on = false;   // on|off commands; temp: false for "none"
  double value = 0;  // the number, if the command takes one
  std::string text;  // the command as written, blanks normalised, for the log
};

Parsed<SimCommand> parse_sim_command(std::string_view line);

}  // namespace upssim
