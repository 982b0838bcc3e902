// A NUT server's variables read as this system's own status record, so that a UPS served over the
// network feeds the same state machine, block, statistics and power-failure policy as one on the cable.
//
// ups.status words → status bits:
//   OB                  STATUS_UTILITY_FAIL (OL, or neither word, leaves it clear)
//   LB                  STATUS_BATTERY_LOW, but only together with OB: a UPS back on mains that is
//                       still recharging ("OL LB") is never a reason to shut this computer down
//   BOOST, TRIM, BYPASS STATUS_AVR
//   RB                  STATUS_UPS_FAULT (this system reads that bit as "replace the battery"), as
//                       does the alarm "UPS selftest failed!" by which NUT's Q1 driver reports the
//                       UPS's fault bit
//   CAL                 STATUS_TEST
//   FSD                 forced_shutdown, not a bit: the server's primary has ordered every computer
//                       down; the UPS's own pending turn-off (bit 1) is not told apart over NUT
// ups.type "... line interactive" sets STATUS_LINE_INTERACTIVE; ups.beeper.status "enabled" sets
// STATUS_BEEPER_ON.
//
// Numbers: input.voltage, input.voltage.fault (the input voltage when absent), output.voltage,
// input.frequency (else output.frequency), battery.voltage, ups.load (rounded), ups.temperature (25.0
// when absent, as for a UPS that reports none); any other missing or malformed number reads 0.
// battery.charge (percent) and battery.runtime (seconds) are passed on when present, for the service to
// prefer over its model table. Without ups.status the variables say nothing usable (`usable` false).
// Pure function; thread-safe.
#pragma once

#include <optional>

#include "link/ups_status.h"
#include "nut/client_protocol.h"

namespace nut {

struct MappedStatus {
  bool usable = false;
  ups_link::UpsStatus status;
  std::optional<float> capacity_percent;  // 0..100
  std::optional<float> runtime_minutes;   // >= 0
  bool forced_shutdown = false;
  // FSD, or on battery with the battery low: the critical point at once, whatever this computer's
  // own thresholds say.
  bool critical = false;
};

MappedStatus map_server_variables(const ServerVariables& variables);

}  // namespace nut
