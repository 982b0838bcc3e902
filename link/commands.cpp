#include "link/commands.h"

#include <algorithm>
#include <cstdio>

namespace ups_link {

const char* status_query_command(int model_mod) {
  return model_mod == 2 ? kStatusQuerySCommand : kStatusQueryCommand;
}

std::string timed_test_command(std::uint32_t minutes) {
  char text[8];
  std::snprintf(text, sizeof text, "T%02u\r", std::clamp(minutes, 1u, 99u));
  return text;
}

}  // namespace ups_link
