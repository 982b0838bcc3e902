// Test helpers: the DACL of a kernel object or file as read back with GetSecurityInfo, one entry
// per ACE ("A" allow or "D" deny, the SID as text, the access mask), in the DACL's order; its
// owner; the security another process could give an object it makes first; and this process's
// token lowered to an ordinary user's (the Administrators group for deny only, the shutdown
// privilege deleted), to act as that user on this thread or to start a process as one.
#pragma once

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <utility>
#include <ostream>
#include <string>
#include <vector>

#include "platform/handles_win.h"

namespace platform::testing {

struct AceEntry {
  std::string kind;
  std::string sid;
  DWORD mask = 0;
  bool operator==(const AceEntry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const AceEntry& e) {
  return out << e.kind << " " << e.sid << " 0x" << std::hex << e.mask << std::dec;
}

inline constexpr char kSystemSid[] = "S-1-5-18";
inline constexpr char kAdministratorsSid[] = "S-1-5-32-544";
inline constexpr char kInteractiveSid[] = "S-1-5-4";
inline constexpr char kNetworkSid[] = "S-1-5-2";
inline constexpr char kUsersSid[] = "S-1-5-32-545";
// An account of no one on this machine: Wine lets a process make objects owned by it.
inline constexpr char kStrangerSid[] = "S-1-5-21-1-2-3-1001";

// The owner's SID as text; empty when it cannot be read.
inline std::string owner_sid(HANDLE object, SE_OBJECT_TYPE type = SE_KERNEL_OBJECT) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor) !=
      ERROR_SUCCESS)
    return "";
  char* text = nullptr;
  ConvertSidToStringSidA(owner, &text);
  std::string result = text ? text : "";
  if (text) LocalFree(text);
  LocalFree(descriptor);
  return result;
}

// Security attributes with `owner` (a SID's text; null: the process's default owner) and the DACL
// of `dacl` (SDDL without "D:"; null: no DACL at all, so everyone may do everything). SDDL's
// "NO_ACCESS_CONTROL" makes an empty DACL under Wine: the descriptor is put together here.
class PlantedSecurity {
 public:
  PlantedSecurity(const char* owner, const char* dacl) {
    InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
    if (owner && (!ConvertStringSidToSidA(owner, &owner_) || !SetSecurityDescriptorOwner(&descriptor_, owner_, FALSE)))
      return;
    PACL list = nullptr;
    if (dacl) {
      BOOL present = FALSE, defaulted = FALSE;
      if (!ConvertStringSecurityDescriptorToSecurityDescriptorA((std::string("D:") + dacl).c_str(), SDDL_REVISION_1,
                                                                &list_holder_, nullptr) ||
          !GetSecurityDescriptorDacl(list_holder_, &present, &list, &defaulted))
        return;
    }
    made_ = SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) != FALSE;
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
  }
  ~PlantedSecurity() {
    if (owner_) LocalFree(owner_);
    if (list_holder_) LocalFree(list_holder_);
  }
  PlantedSecurity(const PlantedSecurity&) = delete;
  PlantedSecurity& operator=(const PlantedSecurity&) = delete;
  bool made() const { return made_; }
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  SECURITY_DESCRIPTOR descriptor_{};
  PSID owner_ = nullptr;
  PSECURITY_DESCRIPTOR list_holder_ = nullptr;
  bool made_ = false;
  SECURITY_ATTRIBUTES attributes_{};
};

// This thread runs with the process's token restricted so that the Administrators group only
// denies, as an ordinary user's or a filtered administrator's token; RevertToSelf ends it.
inline bool impersonate_without_administrators() {
  HANDLE process = nullptr, restricted = nullptr, impersonation = nullptr;
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  bool done = OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process) &&
              CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
  SID_AND_ATTRIBUTES disabled{administrators, 0};
  done = done && CreateRestrictedToken(process, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted) &&
         DuplicateToken(restricted, SecurityImpersonation, &impersonation) && SetThreadToken(nullptr, impersonation);
  for (HANDLE token : {process, restricted, impersonation})
    if (token) CloseHandle(token);
  return done;
}

// The entries; nullopt when the DACL cannot be read or is null (everyone has full access then).
inline std::optional<std::vector<AceEntry>> dacl_entries(HANDLE object, SE_OBJECT_TYPE type = SE_KERNEL_OBJECT) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &descriptor) !=
          ERROR_SUCCESS ||
      dacl == nullptr) {
    if (descriptor) LocalFree(descriptor);
    return std::nullopt;
  }
  std::vector<AceEntry> entries;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) break;
    // Allowed and denied entries share their layout up to the SID.
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    char* text = nullptr;
    ConvertSidToStringSidA(&ace->SidStart, &text);
    entries.push_back({header->AceType == ACCESS_DENIED_ACE_TYPE ? "D" : "A", text ? text : "?", ace->Mask});
    if (text) LocalFree(text);
  }
  LocalFree(descriptor);
  return entries;
}

// What of this process's token a LoweredToken takes away.
enum Lowering : unsigned { kWithoutAdministrators = 1, kWithoutShutdownPrivilege = 2, kOrdinaryUser = 3 };

class LoweredToken {
 public:
  explicit LoweredToken(unsigned lowering = kOrdinaryUser) {
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process)) return;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    SID_AND_ATTRIBUTES deny_only{administrators, 0};
    LUID_AND_ATTRIBUTES deleted{};
    LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &deleted.Luid);
    const bool admin = (lowering & kWithoutAdministrators) != 0, shutdown = (lowering & kWithoutShutdownPrivilege) != 0;
    CreateRestrictedToken(process, 0, admin ? 1 : 0, admin ? &deny_only : nullptr, shutdown ? 1 : 0,
                          shutdown ? &deleted : nullptr, 0, nullptr, &primary_);
    FreeSid(administrators);
    CloseHandle(process);
  }
  ~LoweredToken() {
    if (impersonating_) RevertToSelf();
    if (primary_) CloseHandle(primary_);
  }
  LoweredToken(const LoweredToken&) = delete;
  LoweredToken& operator=(const LoweredToken&) = delete;

  // A primary token, for CreateProcessAsUser and for asking what it holds; null when not made.
  HANDLE primary() const { return primary_; }
  // This thread acts with the lowered token until the object goes.
  bool impersonate() {
    HANDLE copy = nullptr;
    if (!primary_ || !DuplicateToken(primary_, SecurityImpersonation, &copy)) return false;
    impersonating_ = SetThreadToken(nullptr, copy) != FALSE;
    CloseHandle(copy);
    return impersonating_;
  }

 private:
  HANDLE primary_ = nullptr;
  bool impersonating_ = false;
};

// Starts `command_line` with the lowered token as its process token; its standard output and
// error go to `output` when given (a file handle that the child inherits).
inline UniqueHandle start_process_as(const LoweredToken& token, std::string command_line, HANDLE output = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessAsUserA(token.primary(), nullptr, command_line.data(), nullptr, nullptr, output != nullptr, 0,
                            nullptr, nullptr, &startup, &info))
    return UniqueHandle();
  CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

}  // namespace platform::testing
