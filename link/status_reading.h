// StatusReading: what one status query brought, as the polling loop uses it, whichever
// transport carried it.
#pragma once

#include <string>
#include <string_view>

#include "link/ups_status.h"

namespace ups_link {

struct StatusReading {
  bool answered = false;  // a status line came and parsed
  UpsStatus status;       // meaningful only when answered
  std::string raw_line;   // the 46 characters from "(" on, for the shared block's raw line
};

// Parses a reply (without its carriage return; a NUL ends it).
StatusReading read_status(std::string_view reply);

}  // namespace ups_link
