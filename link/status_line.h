// The status line parser: the UPS's reply to the status query → UpsStatus.
//
// The line, a ruler of the 46 characters from "(" on (the final carriage return is not part of it):
//
//   (230.0 230.0 229.0 012 50.0 13.6 25.0 00001001
//    |     |     |     |   |    |    |    '- bit string, first character = bit 7
//    |     |     |     |   |    |    '- temperature, "--.-" when the UPS has no sensor (25.0 then)
//    |     |     |     |   |    '- battery voltage
//    |     |     |     |   '- frequency
//    |     |     |     '- load, percent
//    |     |     '- output voltage
//    |     '- input fault voltage
//    '- input voltage
//
// Noise before the first "(" is skipped. The input is untrusted bytes: only `line` is read,
// and a NUL byte ends the text as it would a C string. Stateless; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

#include "link/ups_status.h"

namespace ups_link {

constexpr std::size_t kStatusLineLength = 46;

// On success fills `status` and points `raw_line` at the 46 characters from "(" inside `line`
// (what the shared block keeps). On failure both are left as they were.
bool parse_status_line(std::string_view line, UpsStatus& status, std::string_view& raw_line);

// Whether a line that parsed carried a temperature of its own; false when it said "--.-" (the
// record then holds 25.0, which no sensor measured) or when the line does not parse.
bool status_line_has_temperature(std::string_view raw_line);

}  // namespace ups_link
