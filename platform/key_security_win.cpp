#include "platform/key_security_win.h"

#include <aclapi.h>

#include "platform/debug_trace.h"
#include "platform/object_access_win.h"
#include "platform/security_win.h"

namespace platform {
namespace {

// The Administrators own it, so that any administrator can manage it, whoever made it.
DWORD protect_for_administrators(HKEY key) {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return GetLastError();
  ObjectSecurity security(SystemObject::admin_only_key);
  SECURITY_ATTRIBUTES* attributes = security.attributes();
  PACL list = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!attributes || !GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &list, &defaulted) ||
      !present)
    return ERROR_INVALID_SECURITY_DESCR;
  return SetSecurityInfo(key, SE_REGISTRY_KEY,
                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                         administrators, nullptr, list, nullptr);
}

}  // namespace

UniqueKey create_admin_only_key(const char* path) {
  UniqueKey key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) !=
      ERROR_SUCCESS) {
    key.release();
    return key;
  }
  const DWORD error = protect_for_administrators(key.get());
  if (error != ERROR_SUCCESS) {
    debug_trace("UPS::cannot protect the key %s (error %u)\n", path, static_cast<unsigned>(error));
    key.reset();
  }
  return key;
}

bool key_for_administrators_only(HKEY key) {
  const ObjectAccess access = read_object_access(reinterpret_cast<HANDLE>(key), SE_REGISTRY_KEY);
  return judge_access(access, SystemObject::admin_only_key) == ObjectTrust::trusted;
}

}  // namespace platform
