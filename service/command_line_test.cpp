#include "service/command_line.h"

#include <gtest/gtest.h>

namespace service {
namespace {

TEST(CommandLine, EachSwitchSelectsItsMode) {
  EXPECT_EQ(parse_command_line("/setup").mode, HostMode::kReconfigure);
  EXPECT_EQ(parse_command_line("/installGUI").mode, HostMode::kInstallGui);
  EXPECT_EQ(parse_command_line("/uninstallGUI").mode, HostMode::kUninstallGui);
  EXPECT_EQ(parse_command_line("/install").mode, HostMode::kInstall);
  EXPECT_EQ(parse_command_line("/uninstall").mode, HostMode::kUninstall);
  EXPECT_EQ(parse_command_line("/gui").mode, HostMode::kGui);
  EXPECT_EQ(parse_command_line("/app").mode, HostMode::kApp);
}

TEST(CommandLine, PowerActionSwitchesCarryTheirRequestCodes) {
  const std::pair<const char*, std::uint32_t> switches[] = {{"/shutdownUPS", 1}, {"/hibernateUPS", 2}, {"/reset", 3},
                                                             {"/suspend", 4},     {"/shutdown", 5},     {"/hibernate", 6}};
  for (const auto& [text, code] : switches) {
    HostCommand command = parse_command_line(text);
    EXPECT_EQ(command.mode, HostMode::kPowerAction) << text;
    EXPECT_EQ(command.power_request, code) << text;
  }
}

TEST(CommandLine, OnlyTheWholeLineInItsOwnCaseMatchesEverythingElseRunsTheService) {
  for (const char* line : {"", "/GUI", "/gui ", " /gui", "/gui /app", "/install2", "/shutdownups", "/Setup", "gui",
                           "/", "/installGUI\t"}) {
    HostCommand command = parse_command_line(line);
    EXPECT_EQ(command.mode, HostMode::kService) << '"' << line << '"';
    EXPECT_EQ(command.power_request, 0u) << line;
  }
  EXPECT_EQ(parse_command_line(nullptr).mode, HostMode::kService);
}

}  // namespace
}  // namespace service
