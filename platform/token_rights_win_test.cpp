// What a token allows, asked of tokens this test lowers as an ordinary user's would be: the
// Administrators group for deny only (as UAC's filtered token has it), the shutdown privilege gone.
#include "platform/token_rights_win.h"

#include <gtest/gtest.h>

#include "platform/handles_win.h"
#include "platform/test_security_win.h"

namespace platform {
namespace {

using testing::LoweredToken;

struct Case {
  unsigned lowering;
  bool administrators, shutdown_privilege;
};
constexpr Case kCases[] = {
    {testing::kWithoutAdministrators, false, true},
    {testing::kWithoutShutdownPrivilege, true, false},
    {testing::kOrdinaryUser, false, false},
};

class TokenRightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const TokenRights own = own_token_rights();
    if (!own.administrators || !own.shutdown_privilege)
      GTEST_SKIP() << "lowering needs an administrator's token with the shutdown privilege to start from";
  }
};

TEST_F(TokenRightsTest, APrimaryTokenKeepsOnlyWhatWasNotTakenAway) {
  for (const Case& c : kCases) {
    LoweredToken token(c.lowering);
    ASSERT_NE(token.primary(), nullptr) << GetLastError();
    const TokenRights rights = token_rights(token.primary());
    EXPECT_EQ(rights.administrators, c.administrators) << c.lowering;
    EXPECT_EQ(rights.shutdown_privilege, c.shutdown_privilege) << c.lowering;
  }
}

// The service sees a client's token as a thread's impersonation token.
TEST_F(TokenRightsTest, AThreadsImpersonationTokenIsJudgedTheSameWay) {
  for (const Case& c : kCases) {
    LoweredToken token(c.lowering);
    ASSERT_TRUE(token.impersonate());
    UniqueHandle thread;
    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, thread.receive()));
    const TokenRights rights = token_rights(thread.get());
    EXPECT_EQ(rights.administrators, c.administrators) << c.lowering;
    EXPECT_EQ(rights.shutdown_privilege, c.shutdown_privilege) << c.lowering;
  }
}

TEST_F(TokenRightsTest, ATokenThatCannotBeReadGrantsNothing) {
  UniqueHandle no_query;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE, no_query.receive()));
  const TokenRights rights = token_rights(no_query.get());
  EXPECT_FALSE(rights.administrators);
  EXPECT_FALSE(rights.shutdown_privilege);
  EXPECT_EQ(token_account(no_query.get()), "?");
}

}  // namespace
}  // namespace platform
