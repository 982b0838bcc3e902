#include "core/event_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "core/ups_state.h"

namespace core {
namespace {

using ::testing::ElementsAre;

TEST(EventCommand, ValueNamesAreTwoDigitCodesBothWays) {
  EXPECT_EQ(event_value_name(5), "05");
  EXPECT_EQ(event_value_name(14), "14");
  for (int code : {0, 100, -1}) EXPECT_EQ(event_value_name(code), "") << code;
  for (int code = 1; code <= 99; ++code) EXPECT_EQ(event_code_of(event_value_name(code)), code);
  for (const char* name : {"00", "5", "005", "a5", "5 ", " 5", "-5", "", "1x"})
    EXPECT_EQ(event_code_of(name), std::nullopt) << '"' << name << '"';
}

TEST(EventCommand, OnlyTheCriticalPointWaitsAndItsWaitIsLimited) {
  EXPECT_EQ(critical_command_wait_s(std::nullopt), 60u);
  EXPECT_EQ(critical_command_wait_s(0u), 0u);
  EXPECT_EQ(critical_command_wait_s(600u), 600u);
  EXPECT_EQ(critical_command_wait_s(601u), 600u);
  EXPECT_EQ(critical_command_wait_s(std::numeric_limits<std::uint32_t>::max()), 600u);

  EXPECT_EQ(command_wait_ms(14, 60), 60000u);
  EXPECT_EQ(command_wait_ms(14, 0), 0u);
  EXPECT_EQ(command_wait_ms(14, std::numeric_limits<std::uint32_t>::max()), 600000u) << "never wraps";
  for (int code : {5, 15, 7, 41}) EXPECT_EQ(command_wait_ms(code, 60), 0u) << code;
}

TEST(EventCommand, TheCommandsOwnLinesStartNoCommand) {
  EXPECT_FALSE(event_starts_command(39));
  EXPECT_FALSE(event_starts_command(40));
  for (int code : {1, 5, 14, 15, 41}) EXPECT_TRUE(event_starts_command(code)) << code;
}

TEST(EventCommand, StateWords) {
  EXPECT_STREQ(state_word(UPS_ONLINE), "online");
  EXPECT_STREQ(state_word(UPS_ONBATTERY), "onbattery");
  EXPECT_STREQ(state_word(UPS_LOWBATTERY), "lowbattery");
  EXPECT_STREQ(state_word(UPS_NOCOMM), "nocomm");
  EXPECT_STREQ(state_word(0), "nocomm") << "before the first reading";
}

// The service's own variables reach the command, but never an earlier event's.
TEST(EventCommand, EnvironmentReplacesEarlierEventVariablesAndKeepsTheRest) {
  const std::vector<std::string> inherited = {
      "=C:=C:\\Windows", "Path=C:\\Windows\\system32", "ups_event=07", "UPS_TEXT=old text", "UPS_STATEX=kept",
      "UPS_STATE", "SystemRoot=C:\\Windows"};
  const EventFacts facts{5, "Сбой в питании, переход на батарею = сеть", UPS_ONBATTERY};
  EXPECT_THAT(command_environment(inherited, facts),
              ElementsAre("=C:=C:\\Windows", "Path=C:\\Windows\\system32", "UPS_STATEX=kept", "SystemRoot=C:\\Windows",
                          "UPS_EVENT=05", "UPS_TEXT=Сбой в питании, переход на батарею = сеть", "UPS_STATE=onbattery"));
}

}  // namespace
}  // namespace core
