// The user and password with which this computer logs in at the NUT server of a UPS it follows:
// SYSTEM\CurrentControlSet\Services\UPS\Network\Client, values "Username" and "Password" (strings).
// The server needs the password itself, so it is stored as typed and the key is kept from every
// user but SYSTEM (the service) and the Administrators (who configure it): it is an admin-only key
// (platform/key_security_win.h), protected whenever the login is written, also when it existed
// before; and a login in a key that others may read or change is not used.
//
// Any thread.
#pragma once

#include <string>

namespace core {

inline constexpr char kNetworkClientKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Network\\Client";
inline constexpr char kNetworkUserValue[] = "Username";
inline constexpr char kNetworkPasswordValue[] = "Password";

struct NetworkCredentials {
  std::string user;  // empty: no login
  std::string password;
};

// What is stored; empty texts for what is missing or unreadable, and for a key open to others.
NetworkCredentials read_network_credentials();

// Creates the key when missing, protects it and writes both values; false when any step failed.
bool write_network_credentials(const NetworkCredentials& credentials);

// Removes the key and its values (a UPS on a cable needs no password lying around).
void delete_network_credentials();

}  // namespace core
