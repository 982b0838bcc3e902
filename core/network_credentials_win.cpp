#include "core/network_credentials_win.h"

#include <windows.h>

#include "nut/network_key_win.h"
#include "platform/debug_trace.h"
#include "platform/key_security_win.h"
#include "platform/registry_win.h"

namespace core {
namespace {

constexpr std::size_t kCredentialBytes = 256;

}  // namespace

NetworkCredentials read_network_credentials() {
  NetworkCredentials credentials;
  platform::UniqueKey key = platform::open_key(kNetworkClientKeyPath, KEY_READ);
  if (!key) return credentials;
  // Anyone who could change the login could make this computer log in as someone else.
  if (!platform::key_for_administrators_only(key.get())) {
    debug_trace("UPS::the key %s is open to others: its login is not used\n", kNetworkClientKeyPath);
    return credentials;
  }
  char text[kCredentialBytes];
  if (platform::read_string_value(key.get(), kNetworkUserValue, text, sizeof text)) credentials.user = text;
  if (platform::read_string_value(key.get(), kNetworkPasswordValue, text, sizeof text)) credentials.password = text;
  return credentials;
}

bool write_network_credentials(const NetworkCredentials& credentials) {
  // Its parent holds the NUT server's settings, which the service refuses from a key others may
  // read or change: made by this key, it would otherwise inherit the service key's list.
  if (!nut::open_network_key_for_change()) return false;
  // Protected before anything secret is written into it.
  platform::UniqueKey key = platform::create_admin_only_key(kNetworkClientKeyPath);
  if (!key) return false;
  return platform::write_string_value(key.get(), kNetworkUserValue, credentials.user.c_str()) &&
         platform::write_string_value(key.get(), kNetworkPasswordValue, credentials.password.c_str());
}

void delete_network_credentials() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath); }

}  // namespace core
