#include "nut/network_settings.h"

#include <gtest/gtest.h>

namespace nut {
namespace {

TEST(ListenLine, NumericAddressesOfEitherFamilyWithAPort) {
  const struct {
    const char* text;
    std::optional<ListenLine> line;
  } cases[] = {
      {"127.0.0.1 3493", ListenLine{"127.0.0.1", 3493}},
      {"0.0.0.0 3493", ListenLine{"0.0.0.0", 3493}},
      {"  ::1\t 13493 ", ListenLine{"::1", 13493}},
      {":: 1", ListenLine{"::", 1}},
      {"fe80::1:2 65535", ListenLine{"fe80::1:2", 65535}},
      {"2001:db8:0:0:0:0:0:1 3493", ListenLine{"2001:db8:0:0:0:0:0:1", 3493}},
      {"::ffff:192.168.1.2 3493", ListenLine{"::ffff:192.168.1.2", 3493}},
      {"127.0.0.1", std::nullopt},
      {"127.0.0.1 0", std::nullopt},
      {"127.0.0.1 65536", std::nullopt},
      {"127.0.0.1 +3493", std::nullopt},
      {"127.0.0.1 3493 3494", std::nullopt},
      {"localhost 3493", std::nullopt},
      {"256.0.0.1 3493", std::nullopt},
      {"127.0.0 3493", std::nullopt},
      {"127.0.0.01 3493", std::nullopt},
      {"[::1] 3493", std::nullopt},
      {"1::2::3 3493", std::nullopt},
      {"1:2:3:4:5:6:7:8:9 3493", std::nullopt},
      {"1:2:3:4:5:6:7::8 3493", std::nullopt},
      {"12345::1 3493", std::nullopt},
      {"fe80::1%1 3493", std::nullopt},
      {"::1.2.3.4:5 3493", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_listen_line(c.text), c.line) << '"' << c.text << '"';
}

TEST(ListenLine, OnlyLoopbackAddressesStayOnThisComputer) {
  const struct {
    const char* address;
    bool reaches;
  } cases[] = {
      {"127.0.0.1", false}, {"127.1.2.3", false}, {"::1", false},       {"0:0:0:0:0:0:0:1", false},
      {"::0:1", false},     {"0.0.0.0", true},    {"192.168.1.5", true}, {"::", true},
      {"::2", true},        {"1::1", true},       {"::ffff:127.0.0.1", true},
  };
  for (const auto& c : cases) EXPECT_EQ(reaches_network({c.address, kNutPort}), c.reaches) << c.address;
}

TEST(NetworkSettings, AnEmptyKeyIsOffOnLoopbackWithTheDefaults) {
  const NetworkSettingsRead read = read_network_settings({});
  EXPECT_FALSE(read.settings.enabled);
  EXPECT_EQ(read.settings.listen, (std::vector<ListenLine>{{"127.0.0.1", 3493}, {"::1", 3493}}));
  EXPECT_EQ(read.settings.ups_name, "ups");
  EXPECT_EQ(read.settings.max_clients, 64u);
  EXPECT_EQ(read.settings.host_sync_seconds, 15u);
  EXPECT_TRUE(read.problems.empty());
}

TEST(NetworkSettings, ValuesThatBreakTheirRuleFallBackAndAreReported) {
  NetworkValues values;
  values.enable = 7;
  values.listen = std::vector<std::string>{"0.0.0.0 3493", "host.example 3493", "::1 3494"};
  values.ups_name = "my ups";
  values.max_clients = 0;
  values.host_sync = 100000;
  const NetworkSettingsRead read = read_network_settings(values);
  EXPECT_TRUE(read.settings.enabled);
  EXPECT_EQ(read.settings.listen, (std::vector<ListenLine>{{"0.0.0.0", 3493}, {"::1", 3494}}));
  EXPECT_EQ(read.settings.ups_name, "ups");
  EXPECT_EQ(read.settings.max_clients, 1u);
  EXPECT_EQ(read.settings.host_sync_seconds, kHostSyncLimitSeconds);
  EXPECT_EQ(read.problems.size(), 4u);
}

TEST(NetworkSettings, ListenLinesThatAllFailKeepTheServerOnLoopback) {
  NetworkValues values;
  values.listen = std::vector<std::string>{"0.0.0.0:3493", "*"};
  EXPECT_EQ(read_network_settings(values).settings.listen, default_listen_lines());
  values.listen = std::vector<std::string>{};
  EXPECT_EQ(read_network_settings(values).settings.listen, default_listen_lines());
}

TEST(NetworkSettings, UsersThatCannotBeServedAreLeftOutWithoutTheirPasswordInTheReport) {
  NetworkValues values;
  values.users = {
      {"mon", "s3cret", "secondary", {}, {}},
      {"nopass", "", "primary", {}, {}},
      {"bad role", "x", "primary", {}, {}},
      {"tester", "t3st pw", "", {"FSD"}, {"test.battery.start.quick", "bogus.cmd"}},
      {"admin", "Pa55\"word", "PRIMARY", {"set"}, {"ALL"}},
  };
  const NetworkSettingsRead read = read_network_settings(values);
  ASSERT_EQ(read.users.size(), 2u);
  EXPECT_EQ(read.users[0].name, "mon");
  EXPECT_EQ(read.users[1].name, "admin");
  EXPECT_TRUE(read.users[1].all_instcmds);
  ASSERT_EQ(read.problems.size(), 3u);
  EXPECT_NE(read.problems[2].find("bogus.cmd"), std::string::npos);
  for (const std::string& problem : read.problems) {
    EXPECT_EQ(problem.find("s3cret"), std::string::npos);
    EXPECT_EQ(problem.find("t3st pw"), std::string::npos);
  }
}

}  // namespace
}  // namespace nut
