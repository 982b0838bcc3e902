// UpsCommand: one command line received from the host, decoded as the UPS's firmware reads it.
// Only the three queries draw an answer.
//
//   Q1 / QS        status query
//   I              information query            F    rating query
//   Q              toggle the beeper
//   T              short battery test          TL   test until battery low
//   Tnn            test for nn minutes, 01..99 CT   cancel a test
//   Sd / SdRrrrr   turn the output off after d (".2"..".9" tenths of a minute, or "01".."10"
//                  minutes), then on again after rrrr minutes ("0000".."9999"; absent = 0000)
//   C              cancel a turn-off
// Anything else, including the right letters with out-of-range numbers, is unknown: the firmware
// ignores it.
#pragma once

#include <string_view>

namespace upssim {

enum class UpsVerb {
  status_query,
  info_query,
  rating_query,
  beeper_toggle,
  test_short,
  test_minutes,
  test_until_low,
  test_cancel,
  turn_off,
  turn_off_cancel,
  unknown,
};

struct UpsCommand {
  UpsVerb verb = UpsVerb::unknown;
  double minutes = 0;       // test_minutes: its length; turn_off: the delay
  int restore_minutes = 0;  // turn_off: 0 = no timed restore
};

UpsCommand parse_ups_command(std::string_view line);

}  // namespace upssim
