#include "nut/server_session.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "nut/test_server_world.h"

namespace nut {
namespace {

using namespace std::chrono_literals;

struct Exchange {
  std::string request;
  std::string answer;
};

// Plays the requests on one session in order and compares every answer byte for byte.
void converse(ServerSession& session, const std::vector<Exchange>& exchanges) {
  for (const Exchange& exchange : exchanges) {
    SCOPED_TRACE(exchange.request);
    EXPECT_EQ(session.handle_line(exchange.request, 0ms).text, exchange.answer);
  }
}

// The answers below were recorded from NUT 2.8.0's upsd (Debian 12) serving a UPS of the same name
// and description, request for request; only VER and server.* name this system instead.

TEST(ServerSessionTest, AnonymousQueriesAnswerAsNutsServer) {
  TestServerWorld world;
  const auto session = world.session();
  converse(*session, {
      {"VER", "Orvik UPS service 1.0.0\n"},
      {"ver", "Orvik UPS service 1.0.0\n"},
      {"NETVER", "1.3\n"},
      {"PROTVER", "1.3\n"},
      {"HELP", "Commands: HELP VER GET LIST SET INSTCMD LOGIN LOGOUT USERNAME PASSWORD STARTTLS\n"},
      {"HELP x", "ERR INVALID-ARGUMENT\n"},
      {"STARTTLS", "ERR FEATURE-NOT-CONFIGURED\n"},
      {"FOO", "ERR UNKNOWN-COMMAND\n"},
      {"", "ERR UNKNOWN-COMMAND\n"},
      {"   ", "ERR UNKNOWN-COMMAND\n"},
      {"LIST UPS", "BEGIN LIST UPS\nUPS ups \"Orvik Varnelo 600 (COM1)\"\nEND LIST UPS\n"},
      {"LIST", "ERR INVALID-ARGUMENT\n"},
      {"LIST VAR", "ERR INVALID-ARGUMENT\n"},
      {"LIST VAR nope", "ERR UNKNOWN-UPS\n"},
      {"LIST VAR UPS", "BEGIN LIST VAR UPS\nVAR UPS battery.charge \"100\"\nVAR UPS ups.load \"12\"\n"
                       "VAR UPS ups.status \"OL\"\nEND LIST VAR UPS\n"},
      {"LIST RW ups", "BEGIN LIST RW ups\nEND LIST RW ups\n"},
      {"LIST ENUM ups ups.status", "BEGIN LIST ENUM ups ups.status\nEND LIST ENUM ups ups.status\n"},
      {"LIST ENUM ups nothing", "ERR VAR-NOT-SUPPORTED\n"},
      {"LIST ENUM ups", "ERR INVALID-ARGUMENT\n"},
      {"LIST RANGE ups ups.status", "BEGIN LIST RANGE ups ups.status\nEND LIST RANGE ups ups.status\n"},
      {"LIST CLIENT ups", "BEGIN LIST CLIENT ups\nEND LIST CLIENT ups\n"},
      {"LIST CLIENT nope", "ERR UNKNOWN-UPS\n"},
      {"LIST FOO ups", "ERR INVALID-ARGUMENT\n"},
      {"LIST FOO ups x", "ERR INVALID-ARGUMENT\n"},
      {"GET", "ERR INVALID-ARGUMENT\n"},
      {"GET VAR", "ERR INVALID-ARGUMENT\n"},
      {"GET VAR ups", "ERR INVALID-ARGUMENT\n"},
      {"GET VAR ups ups.status", "VAR ups ups.status \"OL\"\n"},
      {"GET VAR Ups UPS.STATUS", "VAR Ups UPS.STATUS \"OL\"\n"},
      {"GET VAR ups ups.status extra", "VAR ups ups.status \"OL\"\n"},
      {"GET VAR \"ups\" \"ups.status\"", "VAR ups ups.status \"OL\"\n"},
      {"GET VAR u\\ps ups.status", "VAR ups ups.status \"OL\"\n"},
      {"GET\tVAR  ups   ups.status   \r", "VAR ups ups.status \"OL\"\n"},
      {"GET VAR ups nothing", "ERR VAR-NOT-SUPPORTED\n"},
      {"GET VAR nope ups.status", "ERR UNKNOWN-UPS\n"},
      {"GET VAR nope server.version", "VAR nope server.version \"1.0.0\"\n"},
      {"GET VAR ups SERVER.INFO", "VAR ups server.info \"Orvik UPS service 1.0.0\"\n"},
      {"GET VAR ups server.nothing", "ERR VAR-NOT-SUPPORTED\n"},
      {"GET NUMLOGINS ups", "NUMLOGINS ups 0\n"},
      {"GET NUMLOGINS", "ERR INVALID-ARGUMENT\n"},
      {"GET NUMLOGINS nope", "ERR UNKNOWN-UPS\n"},
      {"GET UPSDESC ups", "UPSDESC ups \"Orvik Varnelo 600 (COM1)\"\n"},
      {"GET UPSDESC nope", "ERR UNKNOWN-UPS\n"},
      {"GET DESC ups ups.status", "DESC ups ups.status \"UPS status\"\n"},
      {"GET DESC ups nothing.here", "DESC ups nothing.here \"Description unavailable\"\n"},
      {"GET DESC nope ups.status", "ERR UNKNOWN-UPS\n"},
      {"GET TYPE ups ups.status", "TYPE ups ups.status NUMBER\n"},
      {"GET TYPE ups nothing", "ERR VAR-NOT-SUPPORTED\n"},
      {"GET CMDDESC ups test.battery.start.quick", "CMDDESC ups test.battery.start.quick \"Start a quick battery test\"\n"},
      {"GET CMDDESC ups shutdown.return",
       "CMDDESC ups shutdown.return \"Turn off the load and return when power is back\"\n"},
      {"GET CMDDESC ups nothing", "CMDDESC ups nothing \"Description unavailable\"\n"},
      {"GET TRACKING", "OFF\n"},
      {"GET TRACKING abc", "ERR FEATURE-NOT-CONFIGURED\n"},
      {"GET FOO ups x", "ERR INVALID-ARGUMENT\n"},
      {"GET FOO ups", "ERR INVALID-ARGUMENT\n"},
      {"GET FOO", "ERR INVALID-ARGUMENT\n"},
  });
}

TEST(ServerSessionTest, ListCmdNamesTheOfferedInstantCommandsInOrder) {
  TestServerWorld world;
  converse(*world.session(), {{"LIST CMD ups",
                               "BEGIN LIST CMD ups\n"
                               "CMD ups beeper.toggle\n"
                               "CMD ups shutdown.return\n"
                               "CMD ups shutdown.stop\n"
                               "CMD ups test.battery.start\n"
                               "CMD ups test.battery.start.deep\n"
                               "CMD ups test.battery.start.quick\n"
                               "CMD ups test.battery.stop\n"
                               "END LIST CMD ups\n"}});
}

TEST(ServerSessionTest, CredentialsComeFirstAndThePasswordIsCheckedAtUse) {
  TestServerWorld world;
  const auto session = world.session();
  converse(*session, {
      {"LOGIN ups", "ERR USERNAME-REQUIRED\n"},
      {"PRIMARY ups", "ERR USERNAME-REQUIRED\n"},
      {"MASTER ups", "ERR USERNAME-REQUIRED\n"},
      {"FSD ups", "ERR USERNAME-REQUIRED\n"},
      {"INSTCMD ups test.battery.start.quick", "ERR USERNAME-REQUIRED\n"},
      {"SET VAR ups ups.delay.start 60", "ERR USERNAME-REQUIRED\n"},
      {"LOGOUT x", "ERR INVALID-ARGUMENT\n"},
      {"USERNAME", "ERR INVALID-ARGUMENT\n"},
      {"USERNAME a b", "ERR INVALID-ARGUMENT\n"},
      {"USERNAME admin", "OK\n"},
      {"USERNAME again", "ERR ALREADY-SET-USERNAME\n"},
      {"LOGIN ups", "ERR PASSWORD-REQUIRED\n"},
      {"PASSWORD", "ERR INVALID-ARGUMENT\n"},
      {"PASSWORD wrong", "OK\n"},
      {"PASSWORD again", "ERR ALREADY-SET-PASSWORD\n"},
      {"LOGIN", "ERR INVALID-ARGUMENT\n"},
      {"LOGIN nope", "ERR UNKNOWN-UPS\n"},
      {"LOGIN ups", "ERR ACCESS-DENIED\n"},
      {"PRIMARY ups", "ERR ACCESS-DENIED\n"},
      {"FSD ups", "ERR ACCESS-DENIED\n"},
      {"INSTCMD ups test.battery.start.quick", "ERR ACCESS-DENIED\n"},
  });
  const ServerSession::Answer goodbye = session->handle_line("LOGOUT", 0ms);
  EXPECT_EQ(goodbye.text, "OK Goodbye\n");
  EXPECT_TRUE(goodbye.close);
  EXPECT_TRUE(session->closed());
  EXPECT_EQ(session->handle_line("GET VAR ups ups.status", 0ms).text, "");
  EXPECT_TRUE(world.forced_by.empty());
  EXPECT_TRUE(world.commands.empty());
}

TEST(ServerSessionTest, PrimaryUserLogsInAndIsCountedUntilItLeaves) {
  TestServerWorld world;
  const auto session = world.session();
  converse(*session, {
      {"PASSWORD secret", "OK\n"},
      {"USERNAME admin", "OK\n"},
      {"LOGIN Ups", "OK\n"},
      {"LOGIN ups", "ERR ALREADY-LOGGED-IN\n"},
      {"GET NUMLOGINS ups", "NUMLOGINS ups 1\n"},
      {"GET NUMLOGINS UPS", "NUMLOGINS UPS 1\n"},
      {"LIST CLIENT UPS", "BEGIN LIST CLIENT UPS\nCLIENT ups 127.0.0.1\nEND LIST CLIENT UPS\n"},
      {"PRIMARY", "ERR INVALID-ARGUMENT\n"},
      {"PRIMARY nope", "ERR UNKNOWN-UPS\n"},
      {"PRIMARY ups", "OK PRIMARY-GRANTED\n"},
      {"MASTER ups", "OK MASTER-GRANTED\n"},
      {"INSTCMD ups", "ERR INVALID-ARGUMENT\n"},
      {"INSTCMD ups nothing", "ERR CMD-NOT-SUPPORTED\n"},
      {"INSTCMD nope test.battery.stop", "ERR UNKNOWN-UPS\n"},
      {"SET", "ERR INVALID-ARGUMENT\n"},
      {"SET VAR ups", "ERR INVALID-ARGUMENT\n"},
      {"SET VAR ups ups.status OB", "ERR READONLY\n"},
      {"SET VAR ups nothing 1", "ERR VAR-NOT-SUPPORTED\n"},
      {"SET VAR nope ups.status 1", "ERR UNKNOWN-UPS\n"},
      {"SET TRACKING", "ERR INVALID-ARGUMENT\n"},
      {"SET TRACKING maybe", "ERR INVALID-ARGUMENT\n"},
      {"SET FOO bar", "ERR INVALID-ARGUMENT\n"},
  });
  auto other = world.session("192.168.1.2");
  converse(*other, {{"USERNAME mon", "OK\n"}, {"PASSWORD pw2", "OK\n"}, {"LOGIN ups", "OK\n"}});
  converse(*session, {
      {"GET NUMLOGINS ups", "NUMLOGINS ups 2\n"},
      {"LIST CLIENT ups", "BEGIN LIST CLIENT ups\nCLIENT ups 127.0.0.1\nCLIENT ups 192.168.1.2\nEND LIST CLIENT ups\n"},
      {"LOGOUT", "OK Goodbye\n"},
  });
  EXPECT_EQ(world.logins.count(), 1u);
  other.reset();  // disconnected without LOGOUT
  EXPECT_EQ(world.logins.count(), 0u);
}

TEST(ServerSessionTest, SecondaryMayOnlyLogIn) {
  TestServerWorld world;
  converse(*world.session(), {
      {"USERNAME mon", "OK\n"},
      {"PASSWORD pw2", "OK\n"},
      {"SET VAR ups nothing 1", "ERR ACCESS-DENIED\n"},
      {"SET VAR nope nothing 1", "ERR UNKNOWN-UPS\n"},
      {"FSD ups", "ERR ACCESS-DENIED\n"},
      {"PRIMARY ups", "ERR ACCESS-DENIED\n"},
      {"INSTCMD ups test.battery.stop", "ERR ACCESS-DENIED\n"},
      {"INSTCMD ups nothing", "ERR CMD-NOT-SUPPORTED\n"},
      {"LOGIN ups", "OK\n"},
  });
  EXPECT_TRUE(world.forced_by.empty());
}

TEST(ServerSessionTest, StaleDataIsRefusedWhereNutsServerRefusesIt) {
  TestServerWorld world;
  world.snapshot.stale = true;
  converse(*world.session(), {
      {"GET NUMLOGINS ups", "ERR DATA-STALE\n"},
      {"GET UPSDESC ups", "UPSDESC ups \"Orvik Varnelo 600 (COM1)\"\n"},
      {"GET DESC ups ups.status", "ERR DATA-STALE\n"},
      {"GET CMDDESC ups beeper.toggle", "ERR DATA-STALE\n"},
      {"GET TYPE ups ups.status", "ERR DATA-STALE\n"},
      {"GET TYPE ups nothing", "ERR DATA-STALE\n"},
      {"GET VAR ups ups.status", "ERR DATA-STALE\n"},
      {"GET VAR ups nothing", "ERR DATA-STALE\n"},
      {"GET VAR nope ups.status", "ERR UNKNOWN-UPS\n"},
      {"GET VAR ups server.version", "VAR ups server.version \"1.0.0\"\n"},
      {"LIST UPS", "BEGIN LIST UPS\nUPS ups \"Orvik Varnelo 600 (COM1)\"\nEND LIST UPS\n"},
      {"LIST VAR ups", "ERR DATA-STALE\n"},
      {"LIST VAR nope", "ERR UNKNOWN-UPS\n"},
      {"LIST RW ups", "ERR DATA-STALE\n"},
      {"LIST CMD ups", "ERR DATA-STALE\n"},
      {"LIST ENUM ups ups.status", "ERR DATA-STALE\n"},
      {"LIST ENUM ups nothing", "ERR DATA-STALE\n"},
      {"LIST RANGE ups ups.status", "ERR DATA-STALE\n"},
      {"LIST CLIENT ups", "BEGIN LIST CLIENT ups\nEND LIST CLIENT ups\n"},
      {"USERNAME mon", "OK\n"},
      {"PASSWORD pw2", "OK\n"},
      {"INSTCMD ups beeper.toggle", "ERR DATA-STALE\n"},
      {"INSTCMD ups nothing", "ERR DATA-STALE\n"},
      {"SET VAR ups ups.status 1", "ERR DATA-STALE\n"},
      {"PRIMARY ups", "ERR ACCESS-DENIED\n"},
      {"LOGIN ups", "OK\n"},
      {"FSD ups", "ERR ACCESS-DENIED\n"},
  });
}

TEST(ServerSessionTest, PermittedFsdReachesTheServiceAndLeadsTheStatus) {
  TestServerWorld world;
  const auto session = world.session("10.0.0.5");
  converse(*session, {
      {"USERNAME admin", "OK\n"},
      {"PASSWORD secret", "OK\n"},
      {"FSD nope", "ERR UNKNOWN-UPS\n"},
      {"FSD", "ERR INVALID-ARGUMENT\n"},
      {"FSD ups", "OK FSD-SET\n"},
      {"GET VAR ups ups.status", "VAR ups ups.status \"FSD OL\"\n"},
      {"GET VAR ups ups.load", "VAR ups ups.load \"12\"\n"},
      {"LIST VAR ups", "BEGIN LIST VAR ups\nVAR ups battery.charge \"100\"\nVAR ups ups.load \"12\"\n"
                       "VAR ups ups.status \"FSD OL\"\nEND LIST VAR ups\n"},
  });
  EXPECT_EQ(world.forced_by, std::vector<std::string>{"admin@10.0.0.5"});
}

TEST(ServerSessionTest, FsdActionWithoutPrimaryRoleIsEnough) {
  TestServerWorld world;
  world.users = UserTable({user_from_settings({"ha", "x", "", {"FSD"}, {}}).user});
  converse(*world.session(), {{"USERNAME ha", "OK\n"}, {"PASSWORD x", "OK\n"}, {"LOGIN ups", "ERR ACCESS-DENIED\n"},
                              {"FSD ups", "OK FSD-SET\n"}});
  EXPECT_EQ(world.forced_by.size(), 1u);
}

TEST(ServerSessionTest, InstantCommandsReachTheServiceOnlyAsPermittedAndWellFormed) {
  struct Case {
    const char* user;
    const char* password;
    const char* request;
    const char* answer;
    bool delivered;
    InstantCommand command;
    std::uint32_t minutes;
  };
  const Case cases[] = {
      {"admin", "secret", "INSTCMD ups test.battery.start.quick", "OK\n", true,
       InstantCommand::test_battery_start_quick, 0},
      {"admin", "secret", "INSTCMD UPS TEST.BATTERY.STOP", "OK\n", true, InstantCommand::test_battery_stop, 0},
      {"admin", "secret", "INSTCMD ups test.battery.start 120", "OK\n", true, InstantCommand::test_battery_start, 2},
      {"admin", "secret", "INSTCMD ups test.battery.start 5940", "OK\n", true, InstantCommand::test_battery_start, 99},
      {"admin", "secret", "INSTCMD ups test.battery.start", "OK\n", true, InstantCommand::test_battery_start, 10},
      // Only the one word after the command is its parameter; with more words there is none.
      {"admin", "secret", "INSTCMD ups test.battery.start 60 extra", "OK\n", true,
       InstantCommand::test_battery_start, 10},
      {"admin", "secret", "INSTCMD ups test.battery.start 30", "ERR INVALID-ARGUMENT\n", false, {}, 0},
      {"admin", "secret", "INSTCMD ups test.battery.start 5941", "ERR INVALID-ARGUMENT\n", false, {}, 0},
      {"admin", "secret", "INSTCMD ups test.battery.start 2m", "ERR INVALID-ARGUMENT\n", false, {}, 0},
      {"admin", "secret", "INSTCMD ups beeper.toggle 1", "ERR INVALID-ARGUMENT\n", false, {}, 0},
      {"admin", "secret", "INSTCMD ups load.off", "ERR CMD-NOT-SUPPORTED\n", false, {}, 0},
      {"tester", "t\"q\\x", "INSTCMD ups test.battery.start.quick", "OK\n", true,
       InstantCommand::test_battery_start_quick, 0},
      {"tester", "t\"q\\x", "INSTCMD ups test.battery.stop", "ERR ACCESS-DENIED\n", false, {}, 0},
      {"tester", "wrong", "INSTCMD ups test.battery.start.quick", "ERR ACCESS-DENIED\n", false, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    TestServerWorld world;
    const auto session = world.session();
    session->handle_line(std::string("USERNAME ") + c.user, 0ms);
    session->handle_line("PASSWORD " + request_word(c.password), 0ms);
    EXPECT_EQ(session->handle_line(c.request, 0ms).text, c.answer);
    ASSERT_EQ(world.commands.size(), c.delivered ? 1u : 0u);
    if (!c.delivered) continue;
    EXPECT_EQ(world.commands[0].command, c.command);
    EXPECT_EQ(world.commands[0].test_minutes, c.minutes);
    EXPECT_EQ(world.command_senders[0], std::string(c.user) + "@127.0.0.1");
  }
}

TEST(ServerSessionTest, CommandTheServiceCannotTakeIsReportedFailed) {
  TestServerWorld world;
  world.accept_commands = false;
  converse(*world.session(), {{"USERNAME admin", "OK\n"}, {"PASSWORD secret", "OK\n"},
                              {"INSTCMD ups beeper.toggle", "ERR INSTCMD-FAILED\n"}});
}

TEST(ServerSessionTest, TrackingIsNeverSwitchedOn) {
  TestServerWorld world;
  converse(*world.session(), {{"USERNAME admin", "OK\n"}, {"PASSWORD secret", "OK\n"},
                              {"SET TRACKING ON", "ERR FEATURE-NOT-SUPPORTED\n"},
                              {"SET TRACKING off", "OK\n"}, {"GET TRACKING", "OFF\n"},
                              {"INSTCMD ups beeper.toggle", "OK\n"}});
}

TEST(ServerSessionTest, GuessedPasswordsAreHeldBackForTheGuessingAddressOnly) {
  TestServerWorld world;
  std::vector<ServerSession::Milliseconds> holds;
  for (int i = 0; i < 5; ++i) {
    const auto guess = world.session("10.9.9.9");
    guess->handle_line("USERNAME admin", 0ms);
    guess->handle_line("PASSWORD guess" + std::to_string(i), 0ms);
    const ServerSession::Answer answer = guess->handle_line("LOGIN ups", 0ms);
    EXPECT_EQ(answer.text, "ERR ACCESS-DENIED\n");
    holds.push_back(answer.hold);
  }
  EXPECT_EQ(holds, (std::vector<ServerSession::Milliseconds>{0ms, 0ms, 0ms, 1000ms, 3000ms}));

  const auto neighbour = world.session("10.9.9.10");
  neighbour->handle_line("USERNAME mon", 0ms);
  neighbour->handle_line("PASSWORD pw2", 0ms);
  const ServerSession::Answer answer = neighbour->handle_line("LOGIN ups", 0ms);
  EXPECT_EQ(answer.text, "OK\n");
  EXPECT_EQ(answer.hold, 0ms);
  // Commands that check no password are never held.
  EXPECT_EQ(world.session("10.9.9.9")->handle_line("GET VAR ups ups.status", 0ms).hold, 0ms);
}

}  // namespace
}  // namespace nut
