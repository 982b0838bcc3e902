// orvik_ups's switches for sharing the UPS over the network: the NUT server's settings in the
// service's "Network" key (nut/network_settings.h), managed without regedit.
//
//   /network                         the settings as the service would take them, without passwords
//   /network:on, /network:off        "Enable"
//   /network:listen ["ADDR PORT" …]  "Listen"; without lines the value goes (loopback only)
//   /network:upsname NAME            "UpsName"
//   /network:maxclients N            "MaxClients", 1 … 1000
//   /network:hostsync N              "HostSync", seconds 0 … 600
//   /network:user NAME [/password:P] [/upsmon:primary|secondary|none] [/actions:FSD,SET|none]
//                [/instcmds:CMD,…|all|none]
//                                    adds the user (a password is needed) or changes what is given
//   /network:deluser NAME            removes the user
//
// Words are split as Windows programs split their arguments (argument_words.h). A value that breaks
// its rule refuses the whole line with a message that names it (never a password), and nothing is
// written. The service takes the settings at its next start. Parsing and applying are pure; the
// store is the registry in orvik_ups and memory in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nut/network_settings.h"

namespace service {

enum class NetworkAction { list, enable, disable, listen, ups_name, max_clients, host_sync, set_user, delete_user, refused };

struct UserChange {
  std::string name;
  std::optional<std::string> password;
  std::optional<std::string> upsmon;
  std::optional<std::vector<std::string>> actions;
  std::optional<std::vector<std::string>> instcmds;
};

struct NetworkCommand {
  NetworkAction action = NetworkAction::refused;
  std::vector<std::string> listen;  // checked lines, as given
  std::string ups_name;
  std::uint32_t number = 0;         // MaxClients, HostSync
  UserChange user;                  // set_user; delete_user uses the name
  std::string refusal;              // for refused: what the administrator is told
};

// Whether the argument line is one of these switches: "/network", alone or followed by ':' or a blank.
bool is_network_switch(std::string_view line);

NetworkCommand parse_network_switch(std::string_view line);

class NetworkStore {
 public:
  virtual ~NetworkStore() = default;
  // The key's values (none when the key is missing); nothing when it cannot be read.
  virtual std::optional<nut::NetworkValues> read() = 0;
  // Each write makes the key when it is missing; false when it cannot be written.
  virtual bool set_number(const char* name, std::uint32_t value) = 0;
  virtual bool set_text(const char* name, const std::string& value) = 0;
  virtual bool set_list(const char* name, const std::vector<std::string>& items) = 0;
  virtual bool remove_value(const char* name) = 0;
  virtual bool write_user(const nut::UserSettings& user) = 0;
  virtual bool remove_user(const std::string& name) = 0;
};

// Exit codes of the switches.
enum NetworkSwitchResult : int {
  kNetworkSwitchDone = 0,
  kNetworkSwitchRefused = 1,  // the line or a value is not understood; nothing written
  kNetworkSwitchFailed = 2,   // the registry could not be read or written (not an administrator)
};

struct SwitchOutcome {
  int exit_code = kNetworkSwitchDone;
  std::string output;  // UTF-8, for the output stream
  std::string error;   // UTF-8, for the error stream
};

SwitchOutcome apply_network_command(const NetworkCommand& command, NetworkStore& store);

}  // namespace service
