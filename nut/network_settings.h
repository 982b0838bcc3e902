// The server's settings as the registry key "Network" of the service holds them, and the rules by
// which its values are read. An administrator writes them with orvik_ups's switches (or regedit);
// the service reads them when its monitoring starts.
//
//   "Enable"      DWORD, 0 off (the default), anything else on
//   "Listen"      multi-string of "address port" lines; none means kDefaultListenLines
//   "UpsName"     string, a plain word (is_plain_word); "ups" when absent or unusable
//   "MaxClients"  DWORD, 1 … kMaxClientsLimit; 64 when absent, held to the range
//   "HostSync"    DWORD seconds, 0 … kHostSyncLimitSeconds; 15 when absent, held to the range
//   subkey "Users\<name>": "Password" string, "Upsmon" string, "Actions" and "Instcmds" multi-strings
//
// An address is an IPv4 address in dotted decimal or an IPv6 address in its text forms (no zone,
// no brackets), written as numbers: the server resolves no names. A port is 1 … 65535. Whatever
// is read is outside input; a value that breaks its rule is reported and replaced by its default
// (or, for a listen line or a user, left out), never trusted. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nut/users.h"

namespace nut {

inline constexpr std::uint16_t kNutPort = 3493;
inline constexpr std::uint32_t kDefaultMaxClients = 64;
inline constexpr std::uint32_t kMaxClientsLimit = 1000;
inline constexpr std::uint32_t kDefaultHostSyncSeconds = 15;
inline constexpr std::uint32_t kHostSyncLimitSeconds = 600;
inline constexpr std::string_view kDefaultUpsName = "ups";

// The key below the service's key, and its value names.
namespace network_value {
inline constexpr char kKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Network";
inline constexpr char kUsersKey[] = "Users";
inline constexpr char kEnable[] = "Enable";
inline constexpr char kListen[] = "Listen";
inline constexpr char kUpsName[] = "UpsName";
inline constexpr char kMaxClients[] = "MaxClients";
inline constexpr char kHostSync[] = "HostSync";
inline constexpr char kPassword[] = "Password";
inline constexpr char kUpsmon[] = "Upsmon";
inline constexpr char kActions[] = "Actions";
inline constexpr char kInstcmds[] = "Instcmds";
}  // namespace network_value

struct ListenLine {
  std::string address;
  std::uint16_t port = kNutPort;

  bool operator==(const ListenLine&) const = default;
};

// "127.0.0.1 3493" and "::1 3493": this computer only.
std::vector<ListenLine> default_listen_lines();

bool is_numeric_ipv4(std::string_view text);
bool is_numeric_ipv6(std::string_view text);

// "address port", separated by blanks; nothing when either part breaks its rule.
std::optional<ListenLine> parse_listen_line(std::string_view text);
std::string listen_line_text(const ListenLine& line);
// Whether clients on other computers can reach the line (any address but the loopback ones).
bool reaches_network(const ListenLine& line);

struct NetworkSettings {
  bool enabled = false;
  std::vector<ListenLine> listen = default_listen_lines();
  std::string ups_name{kDefaultUpsName};
  std::uint32_t max_clients = kDefaultMaxClients;
  std::uint32_t host_sync_seconds = kDefaultHostSyncSeconds;
  std::vector<UserSettings> users;
};

// The key's values as they were found; an absent value is nothing.
struct NetworkValues {
  std::optional<std::uint32_t> enable;
  std::optional<std::vector<std::string>> listen;
  std::optional<std::string> ups_name;
  std::optional<std::uint32_t> max_clients;
  std::optional<std::uint32_t> host_sync;
  std::vector<UserSettings> users;
};

struct NetworkSettingsRead {
  NetworkSettings settings;
  std::vector<NutUser> users;         // the users that can be served
  std::vector<std::string> problems;  // one line each, for the trace; never a password
};

NetworkSettingsRead read_network_settings(const NetworkValues& values);

}  // namespace nut
