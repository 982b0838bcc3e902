#include "link/status_reading.h"

#include "link/status_line.h"

namespace ups_link {

StatusReading read_status(std::string_view reply) {
  StatusReading reading;
  std::string_view raw;
  reading.answered = parse_status_line(reply, reading.status, raw);
  reading.raw_line = raw;
  return reading;
}

}  // namespace ups_link
