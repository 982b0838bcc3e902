#include "nut/login_credentials.h"

#include <algorithm>

#include "nut/quoted_words.h"

namespace nut {
namespace {

bool printable_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte <= 0x7E;
  });
}

}  // namespace

CredentialsError check_login_credentials(std::string_view user, std::string_view password) {
  if (user.empty() && password.empty()) return CredentialsError::none;
  if (user.empty()) return CredentialsError::password_without_user;
  if (password.empty()) return CredentialsError::user_without_password;
  if (user.size() > kMaxCredentialLength || !is_plain_word(user)) return CredentialsError::bad_user;
  if (password.size() > kMaxCredentialLength || !printable_ascii(password)) return CredentialsError::bad_password;
  return CredentialsError::none;
}

const char* credentials_error_description(CredentialsError error) {
  switch (error) {
    case CredentialsError::none: return "usable";
    case CredentialsError::user_without_password: return "a user needs a password";
    case CredentialsError::password_without_user: return "a password needs a user";
    case CredentialsError::bad_user: return "the user must be one word of printable ASCII without quotes or backslashes";
    case CredentialsError::bad_password: return "the password must be printable ASCII";
  }
  return "unknown error";
}

}  // namespace nut
