// Fuzz target: any "Port" value through the server address parser. A value it takes must come
// back unchanged through its own text, and fit the registry value it is stored in.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "nut/server_address.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view port(reinterpret_cast<const char*>(data), size);
  const nut::ParsedAddress parsed = nut::parse_server_address(port);
  check(parsed.address.has_value() == (parsed.error == nut::AddressError::none));
  if (!parsed.address) return 0;
  check(!parsed.address->ups.empty() && !parsed.address->host.empty() && parsed.address->port != 0);
  const std::string text = nut::server_address_text(*parsed.address);
  check(text.size() <= port.size() && text.size() <= nut::kMaxPortValueLength);
  const nut::ParsedAddress again = nut::parse_server_address(text);
  check(again.address && *again.address == *parsed.address);
  return 0;
}
