// The user and password with which this computer logs in at the NUT server of a UPS it follows:
// SYSTEM\CurrentControlSet\Services\UPS\Network\Client, values "Username" and "Password" (strings).
// The server needs the password itself, so it is stored as typed and the key is kept from every
// user but SYSTEM (the service) and Administrators (who configure it): a protected access list of
// those two, set whenever the credentials are written, also on a key that existed before.
//
// Any thread.
#pragma once

#include <string>

namespace core {

inline constexpr char kNetworkClientKeyPath[] = "SYSTEM\\CurrentControlSet\\Services\\UPS\\Network\\Client";
inline constexpr char kNetworkUserValue[] = "Username";
inline constexpr char kNetworkPasswordValue[] = "Password";
// The access list of the key: SYSTEM and Administrators, full control; nobody else; not inherited.
inline constexpr wchar_t kNetworkClientKeyAccess[] = L"D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)";

struct NetworkCredentials {
  std::string user;  // empty: no login
  std::string password;
};

// What is stored; empty texts for what is missing or unreadable.
NetworkCredentials read_network_credentials();

// Creates the key when missing, restricts it and writes both values; false when any step failed.
bool write_network_credentials(const NetworkCredentials& credentials);

// Removes the key and its values (a UPS on a cable needs no password lying around).
void delete_network_credentials();

}  // namespace core
