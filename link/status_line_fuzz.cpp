// Fuzz target: the status line parser against arbitrary bytes from the serial line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/status_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  ups_link::UpsStatus status;
  std::string_view raw;
  if (!ups_link::parse_status_line(line, status, raw)) return 0;

  // What the shared block keeps must be the 46 characters from "(" inside the input.
  const bool raw_inside_input = raw.data() >= line.data() && raw.data() + raw.size() <= line.data() + line.size();
  if (raw.size() != ups_link::kStatusLineLength || raw.front() != '(' || !raw_inside_input ||
      (status.status_bits & ~0xFFu) != 0) {
    __builtin_trap();
  }
  return 0;
}
