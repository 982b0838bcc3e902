#include "nut/network_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ups_status.h"
#include "nut/test_scripted_server.h"

namespace nut {
namespace {

using namespace ups_link;
using testing::Answer;
using testing::FakeClock;
using testing::ScriptedServer;
using testing::friendly_server;

std::vector<std::string> list_with(const std::string& status, const std::vector<std::string>& more = {}) {
  std::vector<std::string> lines = {"BEGIN LIST VAR ups", "VAR ups ups.status \"" + status + "\""};
  lines.insert(lines.end(), more.begin(), more.end());
  lines.push_back("END LIST VAR ups");
  return lines;
}

class NetworkLinkTest : public ::testing::Test {
 protected:
  NetworkLink link_serving(std::vector<std::string> list, const char* user = "mon") {
    server.respond = friendly_server(std::move(list));
    return NetworkLink(server, clock, {{"ups", "10.0.0.2", 3493}, user, "pw"});
  }

  FakeClock clock;
  ScriptedServer server{clock};
};

TEST(InstantCommandForTest, TestsAndTheBeeperAreTheOnlyCommandsThatGoOut) {
  struct Case {
    const char* ups_command;
    std::optional<InstantCommand> command;
    std::uint32_t minutes;
  };
  const Case cases[] = {
      {"T\r", InstantCommand::test_battery_start_quick, 0},
      {"TL\r", InstantCommand::test_battery_start_deep, 0},
      {"T01\r", InstantCommand::test_battery_start, 1},
      {"T99\r", InstantCommand::test_battery_start, 99},
      {"CT\r", InstantCommand::test_battery_stop, 0},
      {"Q\r", InstantCommand::beeper_toggle, 0},
      {"S03R0001\r", std::nullopt, 0},
      {"S.5\r", std::nullopt, 0},
      {"C\r", std::nullopt, 0},
      {"T00\r", std::nullopt, 0},
      {"T5\r", std::nullopt, 0},
      {"T1x\r", std::nullopt, 0},
      {"T05", std::nullopt, 0},
      {"Q1\r", std::nullopt, 0},
      {"I\r", std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ups_command);
    const std::optional<InstantCommandRequest> request = instant_command_for(c.ups_command);
    ASSERT_EQ(request.has_value(), c.command.has_value());
    if (!request) continue;
    EXPECT_EQ(request->command, *c.command);
    EXPECT_EQ(request->test_minutes, c.minutes);
    // The server side turns the command back into the very text the UPS would have received.
    EXPECT_EQ(ups_command_text(*request), c.ups_command);
  }
}

TEST_F(NetworkLinkTest, TheServersStatusBecomesTheRecord) {
  struct Case {
    std::string status;
    std::uint32_t bits;
    bool forced_shutdown;
  };
  const Case cases[] = {
      {"OL", 0, false},
      {"OB", STATUS_UTILITY_FAIL, false},
      {"OB LB", STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW, false},
      {"OL LB", 0, false},  // recharging after the failure: never a reason to shut down
      {"FSD OL", 0, true},
      {"FSD OB", STATUS_UTILITY_FAIL, true},
      {"OL TRIM", STATUS_AVR, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    NetworkLink link = link_serving(list_with(c.status, {"VAR ups input.voltage \"228.3\""}));
    const NetworkReading reading = link.poll();
    ASSERT_TRUE(reading.reading.answered);
    EXPECT_EQ(reading.reading.status.status_bits, c.bits);
    EXPECT_FLOAT_EQ(reading.reading.status.input_voltage, 228.3f);
    EXPECT_EQ(reading.forced_shutdown, c.forced_shutdown);
    EXPECT_EQ(reading.reading.raw_line, "NUT ups@10.0.0.2:3493: " + c.status);
  }
}

TEST_F(NetworkLinkTest, TheServersChargeAndRuntimeComeAlong) {
  NetworkLink link = link_serving(list_with("OB", {"VAR ups battery.charge \"77\"", "VAR ups battery.runtime \"630\""}));
  const NetworkReading reading = link.poll();
  EXPECT_EQ(reading.battery.capacity_percent, 77.0f);
  EXPECT_EQ(reading.battery.runtime_minutes, 10.5f);
}

TEST_F(NetworkLinkTest, AListWithoutStatusIsNoAnswer) {
  NetworkLink link = link_serving({"BEGIN LIST VAR ups", "VAR ups battery.charge \"77\"", "END LIST VAR ups"});
  EXPECT_FALSE(link.poll().reading.answered);
}

TEST_F(NetworkLinkTest, EveryPollTakesOneCycleWhateverTheServerDoes) {
  struct Case {
    const char* what;
    Answer answer;
  };
  const std::string list = "BEGIN LIST VAR ups\nVAR ups ups.status \"OL\"\nEND LIST VAR ups\n";
  const Case cases[] = {
      {"at once", {list}},
      {"late in the cycle", {list, 900}},
      {"too late", {list, 1500}},
      {"never", {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedServer paced(clock);
    paced.respond = [&](std::string_view) { return c.answer; };
    NetworkLink link(paced, clock, {{"ups", "10.0.0.2", 3493}, "", ""});
    for (int cycle = 0; cycle < 3; ++cycle) {
      const std::uint32_t start = clock.now;
      link.poll();
      EXPECT_EQ(clock.now - start, kCycleMs);
    }
  }
}

TEST_F(NetworkLinkTest, CommandsBecomeInstantCommandsOrAreNeverSent) {
  struct Case {
    const char* command;
    const char* instcmd;  // null: nothing may go out
    bool accepted;
  };
  const Case cases[] = {
      {"T\r", "INSTCMD ups test.battery.start.quick\n", true},
      {"T05\r", "INSTCMD ups test.battery.start 300\n", true},
      {"TL\r", "INSTCMD ups test.battery.start.deep\n", true},
      {"CT\r", "INSTCMD ups test.battery.stop\n", true},
      {"Q\r", "INSTCMD ups beeper.toggle\n", true},
      {"S03R0001\r", nullptr, false},
      {"C\r", nullptr, false},
  };
  NetworkLink link = link_serving(list_with("OL"));
  EXPECT_FALSE(link.controls_ups_output());
  link.poll();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const std::size_t sent_before = server.requests.size();
    EXPECT_EQ(link.command_reply(c.command).empty(), c.accepted);
    if (c.instcmd) {
      ASSERT_EQ(server.requests.size(), sent_before + 1);
      EXPECT_EQ(server.requests.back(), c.instcmd);
    } else {
      EXPECT_EQ(server.requests.size(), sent_before);
    }
  }
}

TEST_F(NetworkLinkTest, ARefusedCommandIsReportedAsNotDone) {
  server.respond = [](std::string_view request) {
    if (request.rfind("INSTCMD", 0) == 0) return Answer{"ERR ACCESS-DENIED\n"};
    return friendly_server(list_with("OL"))(request);
  };
  NetworkLink link(server, clock, {{"ups", "10.0.0.2", 3493}, "mon", "pw"});
  link.poll();
  EXPECT_EQ(link.command_reply("T\r"), "ERR ACCESS-DENIED");
  EXPECT_TRUE(link.session().connected());
}

TEST_F(NetworkLinkTest, ARefusedLoginIsReportedOncePerReasonOverReconnections) {
  int logins = 0;
  server.respond = [&](std::string_view request) {
    if (request.rfind("LOGIN", 0) == 0) {
      ++logins;
      return Answer{logins == 3 ? "OK\n" : "ERR ACCESS-DENIED\n"};
    }
    Answer answer = friendly_server(list_with("OL"))(request);
    answer.close_after = request.rfind("LIST", 0) == 0;  // every answer ends the connection
    return answer;
  };
  NetworkLink link(server, clock, {{"ups", "10.0.0.2", 3493}, "mon", "pw"});
  std::vector<std::string> reported;
  for (int cycle = 0; cycle < 8; ++cycle) {
    if (const std::optional<std::string> refusal = link.poll().login_refused) reported.push_back(*refusal);
  }
  // Refused twice, let in, refused again: told at the first and again after the success.
  EXPECT_EQ(logins, 4);
  EXPECT_EQ(reported, (std::vector<std::string>{"ACCESS-DENIED", "ACCESS-DENIED"}));
}

TEST_F(NetworkLinkTest, LogOutEndsTheSession) {
  NetworkLink link = link_serving(list_with("OB LB"));
  link.poll();
  ASSERT_TRUE(link.session().logged_in());
  link.log_out();
  EXPECT_EQ(server.requests.back(), "LOGOUT\n");
  EXPECT_FALSE(link.session().connected());
}

}  // namespace
}  // namespace nut
