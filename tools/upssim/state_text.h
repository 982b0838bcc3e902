// The --state file's one line: what the UPS knows of itself and which faults are on, as
// blank-separated key=value pairs, e.g.
//   mains=on input_v=230.4 output_v=230.4 battery_v=13.6 load=12 frequency=50.0 temperature=25.0
//   bits=00001001 output=on powered=yes beeper=on test=none shutdown_pending=no silent=no ...
// (one line in the file). Numbers are rounded as on the status line, so the line only changes when
// something a client could see has changed.
#pragma once

#include <string>

#include "tools/upssim/line_faults.h"
#include "tools/upssim/ups_model.h"

namespace upssim {

std::string format_state(const UpsModel& model, const LineFaults& faults);

}  // namespace upssim
