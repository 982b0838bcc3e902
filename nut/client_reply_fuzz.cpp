// Fuzz target: a server's bytes through the client's line reader, reply parser, login flow,
// variable list and status mapping, as one polling cycle would take them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/ups_status.h"
#include "nut/client_protocol.h"
#include "nut/line_reader.h"
#include "nut/status_mapping.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void check_mapping(const nut::ServerVariables& variables) {
  const nut::MappedStatus mapped = nut::map_server_variables(variables);
  check((mapped.status.status_bits & ~0xFFu) == 0);
  check((mapped.status.status_bits & ups_link::STATUS_SHUTDOWN_ACTIVE) == 0);
  const bool low_on_battery = (mapped.status.status_bits & ups_link::STATUS_BATTERY_LOW) != 0;
  check(!low_on_battery || (mapped.status.status_bits & ups_link::STATUS_UTILITY_FAIL) != 0);
  check(!mapped.capacity_percent || (*mapped.capacity_percent >= 0 && *mapped.capacity_percent <= 100));
  check(!mapped.runtime_minutes || (*mapped.runtime_minutes >= 0 && std::isfinite(*mapped.runtime_minutes)));
  for (const float value : {mapped.status.input_voltage, mapped.status.input_fault_voltage,
                            mapped.status.output_voltage, mapped.status.frequency,
                            mapped.status.battery_voltage, mapped.status.temperature}) {
    check(std::isfinite(value));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view stream(reinterpret_cast<const char*>(data), size);
  nut::LineReader reader(nut::kMaxReplyLength);
  reader.feed(stream);

  nut::LoginFlow login("mon", "pw", "ups");
  nut::VariableListReader list("ups", 64);
  while (std::optional<std::string> line = reader.next_line()) {
    const nut::Reply reply = nut::parse_reply(*line);
    check(reply.kind != nut::Reply::Kind::error || !reply.error.empty());
    if (login.state() == nut::LoginFlow::State::sending) {
      login.take(reply);
      continue;
    }
    list.take(reply);
  }
  check(list.variables().size() <= 64);
  check(list.state() != nut::VariableListReader::State::failed || list.variables().empty());
  check_mapping(list.variables());
  return 0;
}
