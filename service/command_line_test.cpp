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
  EXPECT_EQ(parse_command_line("/statistics").mode, HostMode::kStatistics);
  EXPECT_EQ(parse_command_line("/settings").mode, HostMode::kSettingsSheet);
  EXPECT_EQ(parse_command_line("/statisticsSheet").mode, HostMode::kStatisticsSheet);
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

TEST(CommandLine, InstallWithTheChoiceTakesQuotedValuesAndStoresThePortAsListed) {
  HostCommand command = parse_command_line("/install /port:com1 /model:\"Varnelo 600\" \"/vendor:Orvik\"  /tray");
  ASSERT_EQ(command.mode, HostMode::kInstallGiven);
  EXPECT_EQ(command.choice.vendor, "Orvik");
  EXPECT_EQ(command.choice.model, "Varnelo 600");
  EXPECT_EQ(command.choice.port, "COM1");
  EXPECT_TRUE(command.choice.tray_autostart);

  command = parse_command_line("/install\t/vendor:Tavrel /model:\"Tessalyn 424 USB\" /port:usb");
  ASSERT_EQ(command.mode, HostMode::kInstallGiven);
  EXPECT_EQ(command.choice.model, "Tessalyn 424 USB");
  EXPECT_EQ(command.choice.port, "USB");
  EXPECT_FALSE(command.choice.tray_autostart);
}

TEST(CommandLine, AServedUpsIsStoredInItsOwnSpellingWithItsLogin) {
  HostCommand command = parse_command_line(
      "/install /vendor:Orvik /model:\"Varnelo 600\" /port:nut:ups@[::1]:3493 /user:orvik \"/password:a b\"");
  ASSERT_EQ(command.mode, HostMode::kInstallGiven) << command.refusal;
  EXPECT_EQ(command.choice.port, "NUT:ups@[::1]");
  EXPECT_EQ(command.choice.user, "orvik");
  EXPECT_EQ(command.choice.password, "a b");

  command = parse_command_line("/install /vendor:Orvik /model:M /port:NUT:ups@nas.local:3494 /tray");
  ASSERT_EQ(command.mode, HostMode::kInstallGiven) << command.refusal;
  EXPECT_EQ(command.choice.port, "NUT:ups@nas.local:3494");
  EXPECT_TRUE(command.choice.user.empty());
}

TEST(CommandLine, TheCheckOfALineTakesAndRefusesWhatTheInstallationWould) {
  HostCommand command = parse_command_line("/install /check /vendor:Orvik /model:M /port:NUT:ups@nas /user:u /password:p");
  EXPECT_EQ(command.mode, HostMode::kCheckGiven);
  EXPECT_EQ(command.choice.port, "NUT:ups@nas");
  EXPECT_EQ(parse_command_line("/install /vendor:Orvik /model:M /port:NUT:ups@::1 /check").mode, HostMode::kInstallRefused);
  EXPECT_EQ(parse_command_line("/install /check /check /vendor:Orvik /model:M /port:COM1").mode,
            HostMode::kInstallRefused);
}

// Each refusal says what is wrong, for the trace of an installation that nobody watches.
TEST(CommandLine, AMistakeInAServedUpsIsRefusedWithItsReason) {
  struct Case {
    const char* line;
    const char* reason;
  };
  const Case cases[] = {
      {"/install /vendor:Orvik /model:M /port:NUT:ups@::1", "brackets"},
      {"/install /vendor:Orvik /model:M /port:NUT:@host", "no UPS name"},
      {"/install /vendor:Orvik /model:M /port:NUT:ups@host:99999", "1 to 65535"},
      {"/install /vendor:Orvik /model:M /port:NUT:ups@host /user:orvik", "needs a password"},
      {"/install /vendor:Orvik /model:M /port:NUT:ups@host /password:pw", "needs a user"},
      {"/install /vendor:Orvik /model:M /port:NUT:ups@host \"/user:two words\" /password:pw", "one word"},
      {"/install /vendor:Orvik /model:M /port:COM1 /user:orvik /password:pw", "only to a NUT server"},
      {"/install /vendor:Orvik /model:M /port:COM10", "COM1 ... COM9"},
      {"/install /vendor:Orvik /model:M /port:NUT:ups@host /user:a /user:b /password:pw", "/vendor:V"},
  };
  for (const Case& c : cases) {
    const HostCommand command = parse_command_line(c.line);
    EXPECT_EQ(command.mode, HostMode::kInstallRefused) << c.line;
    EXPECT_NE(command.refusal.find(c.reason), std::string::npos) << c.line << ": " << command.refusal;
  }
}

// A mistyped unattended installation must neither show the dialog nor start as the service.
TEST(CommandLine, AnIncompleteOrUnknownChoiceIsRefused) {
  for (const char* line : {"/install ", "/install /vendor:Orvik /model:M", "/install /vendor:Orvik /model:M /port:COM10",
                           "/install /vendor:Orvik /model:M /port:LPT1", "/install /vendor: /model:M /port:COM1",
                           "/install /vendor:A /vendor:B /model:M /port:COM1",
                           "/install /vendor:Orvik /model:M /port:COM1 /tray /tray",
                           "/install /vendor:Orvik /model:M /port:COM1 /ui", "/install /Vendor:Orvik /model:M /port:COM1",
                           "/install /vendor:Orvik /model:Varnelo 600 /port:COM1"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kInstallRefused) << line;
  for (const char* line : {"/installGUI /vendor:Orvik", "/install2 /vendor:Orvik /model:M /port:COM1"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kService) << line;
}

TEST(CommandLine, EventCommandsAreSetAsTypedAndClearedByNothing) {
  const struct {
    const char* line;
    int code;
    const char* command;
  } cases[] = {
      {"/event:05 cmd /c echo %UPS_TEXT%", 5, "cmd /c echo %UPS_TEXT%"},
      {"/event:14\t \"C:\\Program Files\\nas off.cmd\" \"a b\"  ", 14, "\"C:\\Program Files\\nas off.cmd\" \"a b\""},
      {"/event:99 powershell -Command \"Выключить\"", 99, "powershell -Command \"Выключить\""},
      {"/event:05", 5, ""},
      {"/event:05   ", 5, ""},
  };
  for (const auto& c : cases) {
    const HostCommand command = parse_command_line(c.line);
    EXPECT_EQ(command.mode, HostMode::kSetEventCommand) << c.line;
    EXPECT_EQ(command.event_code, c.code) << c.line;
    EXPECT_EQ(command.event_command, c.command) << c.line;
  }
  EXPECT_EQ(parse_command_line("/events").mode, HostMode::kListEventCommands);
}

TEST(CommandLine, TheCriticalWaitTakesZeroToSixHundredSeconds) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"/eventwait:0", 0u}, {"/eventwait:600", 600u}, {"/eventwait:060", 60u}};
  for (const auto& [line, seconds] : cases) {
    const HostCommand command = parse_command_line(line);
    EXPECT_EQ(command.mode, HostMode::kSetCriticalCommandWait) << line;
    EXPECT_EQ(command.critical_wait_s, seconds) << line;
  }
}

// A mistyped switch must not store anything, nor run the service.
TEST(CommandLine, MalformedEventSwitchesAreRefused) {
  for (const char* line : {"/event:", "/event:5", "/event:5 cmd", "/event:00 cmd", "/event:100 cmd", "/event:05cmd",
                           "/event:ab cmd", "/event: 05 cmd", "/eventwait:", "/eventwait:601", "/eventwait:-1",
                           "/eventwait:1000", "/eventwait: 60", "/eventwait:60s", "/eventwait:9999999999"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kEventSwitchRefused) << line;
  for (const char* line : {"/Events", "/events ", "/event", "/eventwait"})
    EXPECT_EQ(parse_command_line(line).mode, HostMode::kService) << line;
}

TEST(CommandLine, TheArgumentsFollowTheProgramsNameQuotedOrNot) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"C:\\Program Files\\Orvik UPS\\orvik_ups.exe\" /event:05 cmd /c \"x y\"", "/event:05 cmd /c \"x y\""},
      {"orvik_ups.exe   /events", "/events"},
      {"C:\\Orvik\\orvik_ups.exe\t/install", "/install"},
      {"\"orvik_ups.exe\"/setup", "/setup"},
      {"orvik_ups.exe", ""},
      {"\"unterminated /setup", ""},
      {"", ""},
  };
  for (const auto& [line, arguments] : cases) EXPECT_EQ(arguments_of(line), arguments) << line;
}

}  // namespace
}  // namespace service
