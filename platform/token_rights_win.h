// What a token allows its holder to ask of the service: the shutdown privilege and membership of
// the Administrators group. The service asks it of a pipe client's token, the tray of its own.
//
// The privilege counts when it is in the token, enabled or not (a program enables it when it
// shuts down, as the system's own shutdown does); the group counts only when it is enabled: a
// filtered token (UAC) or a restricted one holds it for deny only. Any thread.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

struct TokenRights {
  bool shutdown_privilege = false;
  bool administrators = false;
};

// `token` needs TOKEN_QUERY, and TOKEN_DUPLICATE when it is a primary token. Nothing is granted
// for a token that cannot be read.
TokenRights token_rights(HANDLE token);
// The calling process's own token.
TokenRights own_token_rights();
// The token's account as "DOMAIN\name" (UTF-8); the SID's text when the name cannot be found.
std::string token_account(HANDLE token);

}  // namespace platform
