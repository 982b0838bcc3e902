#include "nut/server_address.h"

#include <charconv>

#include "nut/text_compare.h"

namespace nut {
namespace {

constexpr std::string_view kPrefix = "NUT:";
constexpr std::size_t kMaxHostLength = 253;  // a DNS name's limit
constexpr std::size_t kMaxLabelLength = 63;

bool letter_or_digit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool valid_ups_name(std::string_view name) {
  for (const char c : name) {
    if (!letter_or_digit(c) && c != '-' && c != '_' && c != '.') return false;
  }
  return true;
}

// A DNS name or an IPv4 address: dot-separated labels of letters, digits, "-" and "_", none empty,
// none starting with "-".
bool valid_host_name(std::string_view host) {
  if (host.size() > kMaxHostLength) return false;
  std::size_t label_length = 0;
  for (std::size_t i = 0; i <= host.size(); ++i) {
    if (i == host.size() || host[i] == '.') {
      if (label_length == 0 || label_length > kMaxLabelLength) return false;
      label_length = 0;
      continue;
    }
    const char c = host[i];
    if (!letter_or_digit(c) && c != '_' && !(c == '-' && label_length > 0)) return false;
    ++label_length;
  }
  return true;
}

// What may stand between the brackets: hex digits, colons and dots (an embedded IPv4 part), at
// least one colon, and an optional "%zone".
bool valid_ipv6_literal(std::string_view text) {
  const std::size_t percent = text.find('%');
  const std::string_view address = text.substr(0, percent);
  if (address.find(':') == std::string_view::npos) return false;
  for (const char c : address) {
    if (!hex_digit(c) && c != ':' && c != '.') return false;
  }
  if (percent == std::string_view::npos) return true;
  const std::string_view zone = text.substr(percent + 1);
  return !zone.empty() && valid_ups_name(zone);
}

std::optional<std::uint16_t> port_number(std::string_view text) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

ParsedAddress failed(AddressError error) { return {std::nullopt, error}; }

// "<host>[:<port>]" after the "@".
ParsedAddress parse_host_and_port(std::string_view text, ServerAddress address) {
  std::string_view host = text;
  std::string_view port;
  bool has_port = false;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos || !valid_ipv6_literal(text.substr(1, close - 1))) {
      return failed(AddressError::bad_host);
    }
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return failed(AddressError::bad_host);
    has_port = !rest.empty();
    if (has_port) port = rest.substr(1);
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
      return failed(AddressError::unbracketed_ipv6);
    }
    host = text.substr(0, colon);
    has_port = colon != std::string_view::npos;
    if (has_port) port = text.substr(colon + 1);
    if (!host.empty() && !valid_host_name(host)) return failed(AddressError::bad_host);
  }
  if (host.empty()) return failed(AddressError::no_host);
  if (has_port) {
    const std::optional<std::uint16_t> number = port_number(port);
    if (!number) return failed(AddressError::bad_port);
    address.port = *number;
  }
  address.host = std::string(host);
  return {std::move(address), AddressError::none};
}

}  // namespace

bool is_network_port(std::string_view port) {
  return port.size() >= kPrefix.size() && equal_ignoring_case(port.substr(0, kPrefix.size()), kPrefix);
}

ParsedAddress parse_server_address(std::string_view port) {
  if (!is_network_port(port)) return failed(AddressError::not_network);
  if (port.size() > kMaxPortValueLength) return failed(AddressError::too_long);
  const std::string_view rest = port.substr(kPrefix.size());
  const std::size_t at = rest.find('@');
  if (at == 0 || at == std::string_view::npos) return failed(AddressError::no_ups_name);
  const std::string_view ups = rest.substr(0, at);
  if (!valid_ups_name(ups)) return failed(AddressError::bad_ups_name);
  ServerAddress address;
  address.ups = std::string(ups);
  return parse_host_and_port(rest.substr(at + 1), std::move(address));
}

std::string server_address_text(const ServerAddress& address) {
  std::string text = std::string(kPrefix) + address.ups + "@";
  const bool ipv6 = address.host.find(':') != std::string::npos;
  text += ipv6 ? "[" + address.host + "]" : address.host;
  if (address.port != kDefaultServerPort) text += ":" + std::to_string(address.port);
  return text;
}

std::string server_address_label(const ServerAddress& address) {
  const bool ipv6 = address.host.find(':') != std::string::npos;
  return address.ups + "@" + (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

const char* address_error_description(AddressError error) {
  switch (error) {
    case AddressError::none: return "a valid server address";
    case AddressError::not_network: return "not a network UPS (no \"NUT:\" prefix)";
    case AddressError::too_long: return "longer than the 254 characters a port value may have";
    case AddressError::no_ups_name: return "no UPS name before \"@\"";
    case AddressError::bad_ups_name: return "the UPS name may hold only letters, digits, \"-\", \"_\" and \".\"";
    case AddressError::no_host: return "no server after \"@\"";
    case AddressError::bad_host: return "the server is not a host name, an IPv4 address or an IPv6 address in brackets";
    case AddressError::unbracketed_ipv6: return "an IPv6 address must be written in brackets, as [::1]";
    case AddressError::bad_port: return "the port must be a number from 1 to 65535";
  }
  return "unknown error";
}

}  // namespace nut
