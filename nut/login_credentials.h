// The user and password with which a client logs in at a NUT server, as an administrator gives
// them (setup dialog, command line): checked before they are stored, so that a typing mistake is
// named at once instead of turning into a refused login at every connection.
//
// Both empty: no login. Otherwise both are needed; the user must be a plain word (NUT's clients
// send it unquoted) and the password printable ASCII (the protocol drops every other byte, so such
// a password could never match), each at most kMaxCredentialLength bytes. Pure; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace nut {

inline constexpr std::size_t kMaxCredentialLength = 255;

enum class CredentialsError { none, user_without_password, password_without_user, bad_user, bad_password };

CredentialsError check_login_credentials(std::string_view user, std::string_view password);

// An English sentence for the debug trace.
const char* credentials_error_description(CredentialsError error);

}  // namespace nut
