#include "nut/network_settings.h"

#include <algorithm>
#include <charconv>

#include "nut/quoted_words.h"

namespace nut {
namespace {

constexpr std::string_view kBlanks = " \t";

bool decimal_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool hex_group(std::string_view text) {
  return !text.empty() && text.size() <= 4 && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

using Ipv6Groups = std::vector<std::uint16_t>;

bool ipv4_octets(std::string_view text, Ipv6Groups* groups) {
  const std::vector<std::string_view> parts = split(text, '.');
  if (parts.size() != 4) return false;
  unsigned octets[4] = {};
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string_view part = parts[i];
    if (!decimal_digits(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
    std::from_chars(part.data(), part.data() + part.size(), octets[i]);
    if (octets[i] > 255) return false;
  }
  if (groups) {
    groups->push_back(static_cast<std::uint16_t>(octets[0] << 8 | octets[1]));
    groups->push_back(static_cast<std::uint16_t>(octets[2] << 8 | octets[3]));
  }
  return true;
}

// The 16-bit groups `text` spells (an IPv4 tail gives two); nothing when it is malformed.
std::optional<Ipv6Groups> spelled_groups(std::string_view text, bool ipv4_tail_allowed) {
  Ipv6Groups groups;
  if (text.empty()) return groups;
  const std::vector<std::string_view> parts = split(text, ':');
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (last && ipv4_tail_allowed && ipv4_octets(parts[i], &groups)) continue;
    if (!hex_group(parts[i])) return std::nullopt;
    unsigned value = 0;
    std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), value, 16);
    groups.push_back(static_cast<std::uint16_t>(value));
  }
  return groups;
}

// The eight groups of an IPv6 address in any of its text forms.
std::optional<Ipv6Groups> ipv6_address(std::string_view text) {
  const std::size_t gap = text.find("::");
  if (gap == std::string_view::npos) {
    std::optional<Ipv6Groups> groups = spelled_groups(text, true);
    if (!groups || groups->size() != 8) return std::nullopt;
    return groups;
  }
  const std::string_view tail = text.substr(gap + 2);
  if (tail.find("::") != std::string_view::npos) return std::nullopt;
  std::optional<Ipv6Groups> before = spelled_groups(text.substr(0, gap), false);
  const std::optional<Ipv6Groups> after = spelled_groups(tail, true);
  if (!before || !after || before->size() + after->size() > 7) return std::nullopt;
  before->resize(8 - after->size(), 0);
  before->insert(before->end(), after->begin(), after->end());
  return before;
}

std::optional<std::uint16_t> port_number(std::string_view text) {
  if (!decimal_digits(text) || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string user_problem(const UserSettings& user, const UserSettingsResult& result) {
  switch (result.error) {
    case UserSettingsError::unusable_name: return "user name \"" + result.offending_text + "\" is not a plain word";
    case UserSettingsError::unusable_password: return "user " + user.name + " has no usable password";
    case UserSettingsError::unknown_upsmon: return "user " + user.name + ": unknown Upsmon " + result.offending_text;
    case UserSettingsError::unknown_action: return "user " + user.name + ": unknown action " + result.offending_text;
    case UserSettingsError::unknown_instcmd: return "user " + user.name + ": unknown command " + result.offending_text;
    case UserSettingsError::none: break;
  }
  return {};
}

void read_listen_lines(const NetworkValues& values, NetworkSettingsRead& read) {
  if (!values.listen) return;
  std::vector<ListenLine> lines;
  for (const std::string& text : *values.listen) {
    if (std::optional<ListenLine> line = parse_listen_line(text)) {
      lines.push_back(std::move(*line));
    } else {
      read.problems.push_back("listen line \"" + text + "\" left out");
    }
  }
  // Lines that all failed leave the loopback defaults: a mistyped value never opens more than they do.
  if (!lines.empty()) read.settings.listen = std::move(lines);
}

std::uint32_t held_to(std::uint32_t value, std::uint32_t low, std::uint32_t high, const char* name,
                      NetworkSettingsRead& read) {
  const std::uint32_t held = std::clamp(value, low, high);
  if (held != value) read.problems.push_back(std::string(name) + " " + std::to_string(value) + " held to " + std::to_string(held));
  return held;
}

void read_users(const NetworkValues& values, NetworkSettingsRead& read) {
  for (const UserSettings& user : values.users) {
    const UserSettingsResult result = user_from_settings(user);
    if (result.error != UserSettingsError::none) {
      read.problems.push_back(user_problem(user, result) + "; the user is left out");
      continue;
    }
    read.settings.users.push_back(user);
    read.users.push_back(result.user);
  }
}

}  // namespace

std::vector<ListenLine> default_listen_lines() { return {{"127.0.0.1", kNutPort}, {"::1", kNutPort}}; }

bool is_numeric_ipv4(std::string_view text) { return ipv4_octets(text, nullptr); }

bool is_numeric_ipv6(std::string_view text) { return ipv6_address(text).has_value(); }

std::optional<ListenLine> parse_listen_line(std::string_view text) {
  text = trimmed(text);
  const std::size_t blank = text.find_first_of(kBlanks);
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view address = text.substr(0, blank);
  const std::string_view port = trimmed(text.substr(blank));
  if (!is_numeric_ipv4(address) && !is_numeric_ipv6(address)) return std::nullopt;
  const std::optional<std::uint16_t> number = port_number(port);
  if (!number) return std::nullopt;
  return ListenLine{std::string(address), *number};
}

std::string listen_line_text(const ListenLine& line) { return line.address + " " + std::to_string(line.port); }

bool reaches_network(const ListenLine& line) {
  if (is_numeric_ipv4(line.address)) return line.address.compare(0, 4, "127.") != 0;
  const Ipv6Groups loopback = {0, 0, 0, 0, 0, 0, 0, 1};
  return ipv6_address(line.address) != loopback;
}

NetworkSettingsRead read_network_settings(const NetworkValues& values) {
  NetworkSettingsRead read;
  read.settings.enabled = values.enable.value_or(0) != 0;
  read_listen_lines(values, read);
  if (values.ups_name) {
    if (is_plain_word(*values.ups_name)) {
      read.settings.ups_name = *values.ups_name;
    } else {
      read.problems.push_back("UpsName \"" + *values.ups_name + "\" is not a plain word; \"ups\" is served");
    }
  }
  if (values.max_clients) read.settings.max_clients = held_to(*values.max_clients, 1, kMaxClientsLimit, "MaxClients", read);
  if (values.host_sync) read.settings.host_sync_seconds = held_to(*values.host_sync, 0, kHostSyncLimitSeconds, "HostSync", read);
  read_users(values, read);
  return read;
}

}  // namespace nut
