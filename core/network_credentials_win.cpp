#include "core/network_credentials_win.h"

#include <windows.h>
#include <sddl.h>

#include "platform/debug_trace.h"
#include "platform/registry_win.h"

namespace core {
namespace {

constexpr std::size_t kCredentialBytes = 256;

bool restrict_access(HKEY key) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kNetworkClientKeyAccess, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  const LONG result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  return result == ERROR_SUCCESS;
}

}  // namespace

NetworkCredentials read_network_credentials() {
  NetworkCredentials credentials;
  platform::UniqueKey key = platform::open_key(kNetworkClientKeyPath, KEY_READ);
  if (!key) return credentials;
  char text[kCredentialBytes];
  if (platform::read_string_value(key.get(), kNetworkUserValue, text, sizeof text)) credentials.user = text;
  if (platform::read_string_value(key.get(), kNetworkPasswordValue, text, sizeof text)) credentials.password = text;
  return credentials;
}

bool write_network_credentials(const NetworkCredentials& credentials) {
  platform::UniqueKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | WRITE_DAC, nullptr, key.receive(), nullptr) != ERROR_SUCCESS) {
    debug_trace("setup: the key %s cannot be made\n", kNetworkClientKeyPath);
    return false;
  }
  // Restricted before anything secret is written into it.
  if (!restrict_access(key.get())) {
    debug_trace("setup: the access of %s cannot be restricted; no password is written\n", kNetworkClientKeyPath);
    return false;
  }
  return platform::write_string_value(key.get(), kNetworkUserValue, credentials.user.c_str()) &&
         platform::write_string_value(key.get(), kNetworkPasswordValue, credentials.password.c_str());
}

void delete_network_credentials() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath); }

}  // namespace core
