// The "Port" value of a UPS that another computer serves over the NUT network protocol:
//
//   NUT:<upsname>@<host>[:<port>]      e.g. NUT:ups@192.168.1.10, NUT:ups@nas.local:3494
//
// <upsname> is the name the server gives the UPS (letters, digits, "-", "_" and "."); <host> a
// DNS name or IPv4 address, or an IPv6 address in brackets ("NUT:ups@[fe80::1%eth0]:3493"); the
// port is 3493 when left out. "NUT:" may be written in any case. The whole value must fit the
// 255 bytes the service reads "Port" into.
//
// The value is outside input (typed by an administrator, read back from the registry), so every
// part is checked and a bad text says what is wrong with it. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nut {

inline constexpr std::uint16_t kDefaultServerPort = 3493;
// The longest "Port" value, without its terminator.
inline constexpr std::size_t kMaxPortValueLength = 254;

struct ServerAddress {
  std::string ups;
  std::string host;  // without brackets
  std::uint16_t port = kDefaultServerPort;

  friend bool operator==(const ServerAddress&, const ServerAddress&) = default;
};

enum class AddressError {
  none,
  not_network,      // no "NUT:" prefix: a COM port or USB
  too_long,
  no_ups_name,      // nothing before "@", or no "@" at all
  bad_ups_name,
  no_host,
  bad_host,
  unbracketed_ipv6, // an IPv6 address must be written in brackets
  bad_port,
};

struct ParsedAddress {
  std::optional<ServerAddress> address;
  AddressError error = AddressError::none;
};

// Whether `port` names a network UPS at all (starts with "NUT:" in any case).
bool is_network_port(std::string_view port);

ParsedAddress parse_server_address(std::string_view port);

// The "Port" value for `address`: "NUT:" in capitals, brackets around an IPv6 address, the port
// only when it is not 3493. Parsing it gives `address` back.
std::string server_address_text(const ServerAddress& address);

// "ups@host:port" for trace and event lines.
std::string server_address_label(const ServerAddress& address);

// An English sentence for the debug trace.
const char* address_error_description(AddressError error);

}  // namespace nut
