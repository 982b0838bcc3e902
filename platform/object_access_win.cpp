#include "platform/object_access_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/handles_win.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

constexpr char kTrustedInstallerSid[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

using SidBytes = std::vector<BYTE>;

SidBytes copy_sid(PSID sid) {
  if (!sid || !IsValidSid(sid)) return {};
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return SidBytes(bytes, bytes + GetLengthSid(sid));
}

SidBytes well_known_sid(WELL_KNOWN_SID_TYPE type) {
  SidBytes sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
  sid.resize(size);
  return sid;
}

SidBytes text_sid(const char* text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidA(text, &sid)) return {};
  SidBytes bytes = copy_sid(sid);
  LocalFree(sid);
  return bytes;
}

// TokenUser and TokenOwner both start with the SID's pointer.
SidBytes token_sid(TOKEN_INFORMATION_CLASS which) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), which, nullptr, 0, &size);
  std::vector<BYTE> info(size);
  const bool read = size >= sizeof(PSID) && GetTokenInformation(token.get(), which, info.data(), size, &size);
  return read ? copy_sid(*reinterpret_cast<PSID*>(info.data())) : SidBytes{};
}

SidBytes own_account() { return token_sid(TokenUser); }

// Read once: the process's token does not change its user or default owner.
const std::vector<SidBytes>& trusted_accounts() {
  static const std::vector<SidBytes> accounts{
      well_known_sid(WinLocalSystemSid), well_known_sid(WinBuiltinAdministratorsSid),
      well_known_sid(WinCreatorOwnerSid), text_sid(kTrustedInstallerSid),
      token_sid(TokenUser),              token_sid(TokenOwner)};
  return accounts;
}

bool is_trusted(PSID sid) {
  if (!sid || !IsValidSid(sid)) return false;
  for (const SidBytes& account : trusted_accounts())
    if (!account.empty() && EqualSid(sid, const_cast<BYTE*>(account.data()))) return true;
  return false;
}

std::string sid_text(PSID sid) {
  char* text = nullptr;
  if (!sid || !ConvertSidToStringSidA(sid, &text)) return "?";
  std::string result = text;
  LocalFree(text);
  return result;
}

// Deny entries of every kind only take rights away; allowing entries other than the plain and the
// callback one (whose SIDs sit elsewhere) count as granting everything to someone untrusted.
AccessEntry entry_of(const ACE_HEADER* header) {
  switch (header->AceType) {
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
      return {false, false, 0};
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
      const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
      return {true, is_trusted(const_cast<DWORD*>(&ace->SidStart)), ace->Mask};
    }
    default:
      return {true, false, 0xFFFFFFFF};
  }
}

AccessList entries_of(const ACL* list) {
  if (!list) return std::nullopt;
  std::vector<AccessEntry> entries;
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(list), i, &ace)) return std::vector{AccessEntry{true, false, 0xFFFFFFFF}};
    entries.push_back(entry_of(static_cast<const ACE_HEADER*>(ace)));
  }
  return entries;
}

ObjectAccess access_of(DWORD error, PSID owner, const ACL* list, PSECURITY_DESCRIPTOR descriptor) {
  ObjectAccess access;
  if (error == ERROR_SUCCESS) {
    access.read = true;
    access.owner_trusted = is_trusted(owner);
    access.owner = sid_text(owner);
    access.list = entries_of(list);
  }
  if (descriptor) LocalFree(descriptor);
  return access;
}

GenericRights generic_rights_of(SystemObject kind) {
  switch (kind) {
    case SystemObject::shared_block:
      return {STANDARD_RIGHTS_READ | SECTION_QUERY | SECTION_MAP_READ, STANDARD_RIGHTS_WRITE | SECTION_MAP_WRITE,
              STANDARD_RIGHTS_EXECUTE | SECTION_MAP_EXECUTE, SECTION_ALL_ACCESS};
    case SystemObject::new_data_event:
      return {STANDARD_RIGHTS_READ | kEventQueryState, STANDARD_RIGHTS_WRITE | EVENT_MODIFY_STATE,
              STANDARD_RIGHTS_EXECUTE | SYNCHRONIZE, EVENT_ALL_ACCESS};
    case SystemObject::admin_only_key:
      return {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
    case SystemObject::trace_file_turns:
      return {STANDARD_RIGHTS_READ | MUTANT_QUERY_STATE, STANDARD_RIGHTS_WRITE, STANDARD_RIGHTS_EXECUTE | SYNCHRONIZE,
              MUTEX_ALL_ACCESS};
    case SystemObject::pipe:
    case SystemObject::archive_root:
      break;
  }
  return {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
}

// The system's own list for `kind`; null when it cannot be made.
PACL system_list(ObjectSecurity& security) {
  SECURITY_ATTRIBUTES* attributes = security.attributes();
  BOOL present = FALSE, defaulted = FALSE;
  PACL list = nullptr;
  if (!attributes || !GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &list, &defaulted))
    return nullptr;
  return present ? list : nullptr;
}

// What the system's own list gives everyone but the trusted accounts.
std::uint32_t others_may(SystemObject kind) {
  ObjectSecurity security(kind);
  const AccessList entries = entries_of(system_list(security));
  std::uint32_t rights = 0;
  if (entries)
    for (const AccessEntry& entry : *entries)
      if (entry.allows && !entry.trusted) rights |= entry.rights;
  return rights;
}

constexpr SECURITY_INFORMATION kOwnerAndProtectedList =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;

}  // namespace

bool process_is_administrator() {
  SidBytes administrators = well_known_sid(WinBuiltinAdministratorsSid);
  BOOL member = FALSE;
  return !administrators.empty() && CheckTokenMembership(nullptr, administrators.data(), &member) && member;
}

ObjectAccess read_object_access(HANDLE object, SE_OBJECT_TYPE type) {
  PSID owner = nullptr;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                      nullptr, &list, nullptr, &descriptor);
  return access_of(error, owner, list, descriptor);
}

ObjectAccess read_path_access(const std::string& path) {
  PSID owner = nullptr;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error =
      GetNamedSecurityInfoW(to_wide(path, CP_ACP).c_str(), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &list, nullptr,
                            &descriptor);
  return access_of(error, owner, list, descriptor);
}

ObjectTrust judge_access(const ObjectAccess& access, SystemObject kind) {
  if (!access.read) return ObjectTrust::foreign_owner;
  return judge_object(access.owner_trusted, access.list, others_may(kind), generic_rights_of(kind));
}

DWORD apply_system_access(HANDLE object, SystemObject kind) {
  ObjectSecurity security(kind);
  const PACL list = system_list(security);
  SidBytes owner = own_account();
  if (!list || owner.empty()) return ERROR_INVALID_SECURITY_DESCR;
  return SetSecurityInfo(object, SE_KERNEL_OBJECT, kOwnerAndProtectedList, owner.data(), nullptr, list, nullptr);
}

DWORD apply_system_access(const std::string& path, SystemObject kind) {
  ObjectSecurity security(kind);
  const PACL list = system_list(security);
  SidBytes owner = own_account();
  if (!list || owner.empty()) return ERROR_INVALID_SECURITY_DESCR;
  std::wstring wide = to_wide(path, CP_ACP);
  return SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, kOwnerAndProtectedList, owner.data(), nullptr, list,
                               nullptr);
}

}  // namespace platform
