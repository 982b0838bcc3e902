// The setup dialog's entry for a UPS that another computer serves over the NUT network protocol:
// four fields (server, UPS name, user, password) that an administrator fills in without knowing
// the "Port" syntax, checked before OK with a Russian message that names the field to correct.
//
// The server field takes a host name or address and, after a colon, a port: "nas.local",
// "192.168.1.10:3494", "[fe80::1]:3493". Pure functions; any thread.
#pragma once

#include <optional>
#include <string>

namespace installation {

// The port list's entry that shows the four fields (after USB and COM1 ... COM9).
inline constexpr wchar_t kNetworkPortEntry[] = L"Сеть (NUT)";

struct NetworkEntry {
  std::wstring server;
  std::wstring ups;
  std::wstring user;
  std::wstring password;
};

enum class NetworkField { server, ups, user, password };

struct NetworkEntryCheck {
  std::optional<std::string> port;      // the "Port" value, when every field is right
  std::string user;                     // the login to store with it (ASCII)
  std::string password;
  NetworkField field = NetworkField::server;  // the field to correct, when not
  std::wstring message;                 // what to correct, for the administrator
};

NetworkEntryCheck check_network_entry(const NetworkEntry& entry);

// The fields that show a stored "Port" value and login; empty server and UPS fields for a value
// that is no server address.
NetworkEntry network_entry_from(const std::string& port, const std::string& user, const std::string& password);

}  // namespace installation
