// The "Network" key under Wine: written closed to all but SYSTEM and the Administrators and read
// back as stored; a key that others may change is not read at all; values of the wrong type are
// reported and left out.
#include "nut/network_key_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "nut/test_nut_client_win.h"

namespace nut {
namespace {

using testing::NetworkKeyForTest;

TEST(NetworkKey, WhatIsWrittenIsReadBackWithItsUsers) {
  NetworkKeyForTest key;
  ASSERT_TRUE(key.opened()) << "the tests run as an administrator";
  key.set(network_value::kEnable, 1u);
  key.set(network_value::kListen, std::vector<std::string>{"0.0.0.0 3493", "::1 3493"});
  key.set(network_value::kUpsName, "rack1");
  key.set(network_value::kMaxClients, 256u);
  key.set(network_value::kHostSync, 30u);
  key.add_user({"mon", "s3cret", "secondary", {}, {}});
  key.add_user({"admin", "a \"quoted\" pass", "primary", {"FSD", "SET"}, {"test.battery.start.quick", "beeper.toggle"}});

  const NetworkKeyRead read = read_network_key();
  ASSERT_EQ(read.state, NetworkKeyState::readable);
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.values.enable, 1u);
  EXPECT_EQ(read.values.listen, (std::vector<std::string>{"0.0.0.0 3493", "::1 3493"}));
  EXPECT_EQ(read.values.ups_name, "rack1");
  EXPECT_EQ(read.values.max_clients, 256u);
  EXPECT_EQ(read.values.host_sync, 30u);
  ASSERT_EQ(read.values.users.size(), 2u);
  const UserSettings* admin = read.values.users[0].name == "admin" ? &read.values.users[0] : &read.values.users[1];
  EXPECT_EQ(admin->password, "a \"quoted\" pass");
  EXPECT_EQ(admin->upsmon, "primary");
  EXPECT_EQ(admin->actions, (std::vector<std::string>{"FSD", "SET"}));
  EXPECT_EQ(admin->instcmds, (std::vector<std::string>{"test.battery.start.quick", "beeper.toggle"}));
}

TEST(NetworkKey, AKeyThatOthersMayChangeIsNotReadAndWritingClosesItAgain) {
  NetworkKeyForTest key;
  ASSERT_TRUE(key.opened());
  key.set(network_value::kEnable, 1u);
  key.add_user({"intruder", "x", "primary", {"FSD"}, {}});
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:(A;OICI;KA;;;BU)(A;OICI;KA;;;BA)",
                                                                    SDDL_REVISION_1, &open, nullptr));
  ASSERT_EQ(RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, open), ERROR_SUCCESS);
  LocalFree(open);

  NetworkKeyRead read = read_network_key();
  EXPECT_EQ(read.state, NetworkKeyState::open_to_others);
  EXPECT_FALSE(read.values.enable);
  EXPECT_TRUE(read.values.users.empty());

  EXPECT_TRUE(open_network_key_for_change());
  read = read_network_key();
  EXPECT_EQ(read.state, NetworkKeyState::readable);
  EXPECT_EQ(read.values.users.size(), 1u);
}

TEST(NetworkKey, ValuesOfTheWrongTypeAreReportedAndLeftOut) {
  NetworkKeyForTest key;
  ASSERT_TRUE(key.opened());
  key.set(network_value::kEnable, "1");
  key.set(network_value::kListen, "0.0.0.0 3493");
  key.set(network_value::kHostSync, 20u);
  const NetworkKeyRead read = read_network_key();
  EXPECT_EQ(read.state, NetworkKeyState::readable);
  EXPECT_FALSE(read.values.enable);
  EXPECT_FALSE(read.values.listen);
  EXPECT_EQ(read.values.host_sync, 20u);
  EXPECT_EQ(read.problems.size(), 2u);
}

TEST(NetworkKey, NoKeyIsNothingToServe) {
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, network_value::kKeyPath);
  EXPECT_EQ(read_network_key().state, NetworkKeyState::absent);
}

}  // namespace
}  // namespace nut
