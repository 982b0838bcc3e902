#include "platform/token_rights_win.h"

#include <sddl.h>

#include <vector>

#include "platform/handles_win.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// A token's information of one class, in a buffer of the size the system asks for; empty on failure.
std::vector<BYTE> token_information(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

bool holds_shutdown_privilege(HANDLE token) {
  LUID shutdown{};
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown)) return false;
  const std::vector<BYTE> buffer = token_information(token, TokenPrivileges);
  if (buffer.empty()) return false;
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID& held = privileges->Privileges[i].Luid;
    if (held.LowPart == shutdown.LowPart && held.HighPart == shutdown.HighPart) return true;
  }
  return false;
}

// CheckTokenMembership takes impersonation tokens only; a primary token is looked at through an
// identification-level copy.
bool administrators_enabled(HANDLE token) {
  TOKEN_TYPE type{};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenType, &type, sizeof type, &size)) return false;
  UniqueHandle copy;
  if (type == TokenPrimary) {
    if (!DuplicateToken(token, SecurityIdentification, copy.receive())) return false;
    token = copy.get();
  }
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators))
    return false;
  BOOL member = FALSE;
  const bool checked = CheckTokenMembership(token, administrators, &member) != FALSE;
  FreeSid(administrators);
  return checked && member;
}

std::string sid_text(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "?";
  std::string result = text;
  LocalFree(text);
  return result;
}

}  // namespace

TokenRights token_rights(HANDLE token) { return {holds_shutdown_privilege(token), administrators_enabled(token)}; }

TokenRights own_token_rights() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, token.receive())) return {};
  return token_rights(token.get());
}

std::string token_account(HANDLE token) {
  const std::vector<BYTE> buffer = token_information(token, TokenUser);
  if (buffer.empty()) return "?";
  PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  wchar_t name[256], domain[256];
  DWORD name_size = 256, domain_size = 256;
  SID_NAME_USE use{};
  if (!LookupAccountSidW(nullptr, sid, name, &name_size, domain, &domain_size, &use)) return sid_text(sid);
  return domain_size > 0 ? to_utf8(domain) + "\\" + to_utf8(name) : to_utf8(name);
}

}  // namespace platform
