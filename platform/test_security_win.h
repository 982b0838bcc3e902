// Test helper: the DACL of a kernel object or file as read back with GetSecurityInfo, one entry
// per ACE ("A" allow or "D" deny, the SID as text, the access mask), in the DACL's order.
#pragma once

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

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

}  // namespace platform::testing
