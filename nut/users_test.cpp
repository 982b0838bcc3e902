#include "nut/users.h"

#include <gtest/gtest.h>

namespace nut {
namespace {

NutUser user_of(const UserSettings& settings) {
  const UserSettingsResult result = user_from_settings(settings);
  EXPECT_EQ(result.error, UserSettingsError::none) << result.offending_text;
  return result.user;
}

TEST(UsersTest, RightsFollowUpsdUsers) {
  struct Case {
    const char* what;
    UserSettings settings;
    bool login, primary, fsd, set;
  };
  const Case cases[] = {
      {"primary", {"a", "p", "primary", {}, {}}, true, true, true, false},
      {"older name of primary", {"a", "p", "MASTER", {}, {}}, true, true, true, false},
      {"secondary", {"a", "p", "secondary", {}, {}}, true, false, false, false},
      {"older name of secondary", {"a", "p", "slave", {}, {}}, true, false, false, false},
      {"no upsmon, FSD action", {"a", "p", "", {"fsd"}, {}}, false, false, true, false},
      {"secondary with SET", {"a", "p", "Secondary", {"SET"}, {}}, true, false, false, true},
      {"instant commands only", {"a", "p", "", {}, {"all"}}, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const NutUser user = user_of(c.settings);
    EXPECT_EQ(has_right(user, Right::login), c.login);
    EXPECT_EQ(has_right(user, Right::primary), c.primary);
    EXPECT_EQ(has_right(user, Right::forced_shutdown), c.fsd);
    EXPECT_EQ(has_right(user, Right::set_variable), c.set);
  }
}

TEST(UsersTest, InstantCommandsByNameOrAll) {
  const NutUser tester = user_of({"t", "p", "", {}, {"test.battery.start.quick", "TEST.BATTERY.STOP"}});
  EXPECT_TRUE(may_run(tester, InstantCommand::test_battery_start_quick));
  EXPECT_TRUE(may_run(tester, InstantCommand::test_battery_stop));
  EXPECT_FALSE(may_run(tester, InstantCommand::test_battery_start_deep));
  EXPECT_FALSE(may_run(tester, InstantCommand::shutdown_return));

  const NutUser admin = user_of({"a", "p", "", {}, {"ALL"}});
  for (const InstantCommandInfo& info : instant_commands()) EXPECT_TRUE(may_run(admin, info.command)) << info.name;
  EXPECT_FALSE(may_run(user_of({"n", "p", "primary", {}, {}}), InstantCommand::beeper_toggle));
}

TEST(UsersTest, SettingsThatMeanNothingAreReportedWithTheOffendingText) {
  struct Case {
    UserSettings settings;
    UserSettingsError error;
    const char* offending;
  };
  const Case cases[] = {
      {{"", "p", "", {}, {}}, UserSettingsError::unusable_name, ""},
      {{"a b", "p", "", {}, {}}, UserSettingsError::unusable_name, "a b"},
      {{"\xD0\xB8\xD0\xB2", "p", "", {}, {}}, UserSettingsError::unusable_name, "\xD0\xB8\xD0\xB2"},
      {{"a", "", "primary", {}, {}}, UserSettingsError::unusable_password, ""},
      {{"a", "p\xC3\xA4ss", "primary", {}, {}}, UserSettingsError::unusable_password, ""},  // never in a log
      {{"a", "tab\there", "primary", {}, {}}, UserSettingsError::unusable_password, ""},
      {{"a", "p", "boss", {}, {}}, UserSettingsError::unknown_upsmon, "boss"},
      {{"a", "p", "", {"FSD", "LOGIN"}, {}}, UserSettingsError::unknown_action, "LOGIN"},
      {{"a", "p", "", {}, {"beeper.toggle", "load.off"}}, UserSettingsError::unknown_instcmd, "load.off"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings.name);
    const UserSettingsResult result = user_from_settings(c.settings);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.offending_text, c.offending);
  }
}

TEST(UsersTest, PasswordsWithBlanksAndQuotesAreFine) {
  EXPECT_EQ(user_from_settings({"a", "two words \"quoted\" \\", "primary", {}, {}}).error, UserSettingsError::none);
}

TEST(UsersTest, OnlyTheExactNameAndPasswordAuthenticate) {
  const UserTable table({user_of({"mon", "pw2", "secondary", {}, {}}), user_of({"Admin", "s3cret", "primary", {}, {}})});
  EXPECT_EQ(table.authenticate("mon", "pw2"), &table.users()[0]);
  EXPECT_EQ(table.authenticate("Admin", "s3cret"), &table.users()[1]);
  EXPECT_EQ(table.authenticate("admin", "s3cret"), nullptr);  // names are exact, unlike UPS names
  EXPECT_EQ(table.authenticate("Admin", "S3cret"), nullptr);
  EXPECT_EQ(table.authenticate("Admin", "s3cre"), nullptr);
  EXPECT_EQ(table.authenticate("Admin", "s3cret "), nullptr);
  EXPECT_EQ(table.authenticate("Admin", std::string("s3cret\0", 7)), nullptr);
  EXPECT_EQ(table.authenticate("nobody", "pw2"), nullptr);

  NutUser passwordless;
  passwordless.name = "open";
  passwordless.upsmon = UpsmonRole::primary;
  const UserTable careless({passwordless});
  EXPECT_EQ(careless.authenticate("open", ""), nullptr);
}

}  // namespace
}  // namespace nut
