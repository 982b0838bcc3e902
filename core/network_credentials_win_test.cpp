// The login at a NUT server in the registry under Wine: written into a key only SYSTEM and the
// Administrators reach, read back, not used from a key that others may read or change, removed.
#include "core/network_credentials_win.h"

#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "nut/network_settings.h"
#include "platform/handles_win.h"
#include "platform/key_security_win.h"
#include "platform/test_security_win.h"

namespace core {
namespace {

using platform::testing::AceEntry;

bool key_exists() {
  platform::UniqueKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath, 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

class NetworkCredentialsTest : public ::testing::Test {
 protected:
  // The whole Network key: the login's key must make its parent, the NUT server's, as well.
  void SetUp() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, nut::network_value::kKeyPath); }
  void TearDown() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, nut::network_value::kKeyPath); }
};

TEST_F(NetworkCredentialsTest, TheLoginIsKeptWhereOnlySystemAndTheAdministratorsReachIt) {
  ASSERT_TRUE(write_network_credentials({"orvik", "s3cret pw"}));
  const NetworkCredentials read = read_network_credentials();
  EXPECT_EQ(read.user, "orvik");
  EXPECT_EQ(read.password, "s3cret pw");
  platform::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath, 0, READ_CONTROL, key.receive()), ERROR_SUCCESS);
  EXPECT_EQ(platform::testing::dacl_entries(reinterpret_cast<HANDLE>(key.get()), SE_REGISTRY_KEY),
            (std::vector<AceEntry>{{"A", platform::testing::kSystemSid, KEY_ALL_ACCESS},
                                   {"A", platform::testing::kAdministratorsSid, KEY_ALL_ACCESS}}));
  // Its parent holds the NUT server's passwords: a list inherited from the service key would make
  // the server refuse it.
  platform::UniqueKey parent;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nut::network_value::kKeyPath, 0, READ_CONTROL, parent.receive()),
            ERROR_SUCCESS);
  EXPECT_TRUE(platform::key_for_administrators_only(parent.get()));
  delete_network_credentials();
  EXPECT_FALSE(key_exists());
  EXPECT_TRUE(read_network_credentials().user.empty());
}

// As a key imported by reg.exe or made by hand would be: the users may read and change it.
TEST_F(NetworkCredentialsTest, ALoginThatOthersMayChangeIsNotUsedUntilItIsWrittenAgain) {
  platform::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kNetworkClientKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.receive(), nullptr),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KA;;;BU)", SDDL_REVISION_1, &open, nullptr));
  EXPECT_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, open), ERROR_SUCCESS);
  LocalFree(open);
  const char user[] = "intruder";
  RegSetValueExA(key.get(), kNetworkUserValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(user), sizeof user);
  key.reset();
  EXPECT_TRUE(read_network_credentials().user.empty());

  ASSERT_TRUE(write_network_credentials({"orvik", "pw"}));
  EXPECT_EQ(read_network_credentials().user, "orvik") << "protected again by the write";
}

}  // namespace
}  // namespace core
