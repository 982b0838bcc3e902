#include "nut/login_credentials.h"

#include <gtest/gtest.h>

#include <string>

namespace nut {
namespace {

TEST(LoginCredentialsTest, WhatCanLogInAndWhatCannot) {
  struct Case {
    std::string user;
    std::string password;
    CredentialsError error;
  };
  const Case cases[] = {
      {"", "", CredentialsError::none},
      {"orvik", "s3cret", CredentialsError::none},
      {"orvik", "with blanks \"and\" quotes", CredentialsError::none},
      {"orvik", "", CredentialsError::user_without_password},
      {"", "s3cret", CredentialsError::password_without_user},
      {"two words", "pw", CredentialsError::bad_user},
      {"quo\"te", "pw", CredentialsError::bad_user},
      {"back\\slash", "pw", CredentialsError::bad_user},
      {std::string(256, 'u'), "pw", CredentialsError::bad_user},
      {"orvik", "tab\there", CredentialsError::bad_password},
      {"orvik", "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C", CredentialsError::bad_password},
      {"orvik", std::string(256, 'p'), CredentialsError::bad_password},
      {std::string(255, 'u'), std::string(255, 'p'), CredentialsError::none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + " / " + c.password);
    EXPECT_EQ(check_login_credentials(c.user, c.password), c.error);
    EXPECT_STRNE(credentials_error_description(c.error), "unknown error");
  }
}

}  // namespace
}  // namespace nut
