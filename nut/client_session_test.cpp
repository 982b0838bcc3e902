#include "nut/client_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "nut/test_scripted_server.h"

namespace nut {
namespace {

using testing::Answer;
using testing::FakeClock;
using testing::ScriptedServer;
using testing::friendly_server;

constexpr std::uint32_t kBudget = 1000;

const std::vector<std::string> kOnMains = {"BEGIN LIST VAR ups", "VAR ups battery.charge \"100\"",
                                           "VAR ups ups.status \"OL\"", "END LIST VAR ups"};

ClientSettings settings(const char* user = "mon", const char* password = "p w") {
  return {{"ups", "127.0.0.1", 3493}, user, password};
}

class ClientSessionTest : public ::testing::Test {
 protected:
  // Whether each of `count` cycles, a second apart, got an answer.
  std::vector<bool> answers_over(ClientSession& session, int count) {
    std::vector<bool> answers;
    for (int cycle = 0; cycle < count; ++cycle) {
      answers.push_back(session.read_variables(kBudget).answered);
      clock.now += 1000;
    }
    return answers;
  }

  FakeClock clock;
  ScriptedServer server{clock};
};

TEST_F(ClientSessionTest, LogsInAsSecondaryOnceAndThenOnlyListsTheVariables) {
  server.respond = friendly_server(kOnMains);
  ClientSession session(server, clock, settings());

  CycleReading first = session.read_variables(kBudget);
  ASSERT_TRUE(first.answered) << first.problem;
  EXPECT_EQ(first.variables.at("ups.status"), "OL");
  EXPECT_FALSE(first.login_refused);
  EXPECT_TRUE(session.logged_in());
  clock.now += 1000;
  EXPECT_TRUE(session.read_variables(kBudget).answered);

  EXPECT_EQ(server.requests, (std::vector<std::string>{"USERNAME mon\n", "PASSWORD \"p w\"\n", "LOGIN ups\n",
                                                        "LIST VAR ups\n", "LIST VAR ups\n"}));
  EXPECT_EQ(server.open_times.size(), 1u);
}

TEST_F(ClientSessionTest, WithoutAUserNothingButTheListIsAsked) {
  server.respond = friendly_server(kOnMains);
  ClientSession session(server, clock, settings(""));
  EXPECT_TRUE(session.read_variables(kBudget).answered);
  EXPECT_FALSE(session.logged_in());
  EXPECT_EQ(server.requests, (std::vector<std::string>{"LIST VAR ups\n"}));
}

TEST_F(ClientSessionTest, ARefusedLoginIsReportedAndMonitoringGoesOn) {
  server.respond = [](std::string_view request) {
    if (request.rfind("LOGIN", 0) == 0) return Answer{"ERR ACCESS-DENIED\n"};
    return friendly_server(kOnMains)(request);
  };
  ClientSession session(server, clock, settings());
  CycleReading reading = session.read_variables(kBudget);
  EXPECT_TRUE(reading.answered);
  EXPECT_EQ(reading.login_refused, "ACCESS-DENIED");
  EXPECT_FALSE(session.logged_in());
  clock.now += 1000;
  // Told once, in the cycle of the attempt.
  EXPECT_FALSE(session.read_variables(kBudget).login_refused);
  EXPECT_TRUE(session.connected());
}

TEST_F(ClientSessionTest, AnErrInPlaceOfTheListKeepsTheConnection) {
  for (const char* error : {"DATA-STALE", "DRIVER-NOT-CONNECTED", "UNKNOWN-UPS"}) {
    SCOPED_TRACE(error);
    ScriptedServer stale(clock);
    stale.respond = [error](std::string_view) { return Answer{std::string("ERR ") + error + "\n"}; };
    ClientSession session(stale, clock, settings(""));
    for (int cycle = 0; cycle < 3; ++cycle) {
      CycleReading reading = session.read_variables(kBudget);
      EXPECT_FALSE(reading.answered);
      EXPECT_NE(reading.problem.find(error), std::string::npos) << reading.problem;
      clock.now += 1000;
    }
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(stale.open_times.size(), 1u);
  }
}

// A server that breaks the protocol or stalls costs at most one budget, and the connection is made
// anew: whatever it still sends belongs to a request the client no longer waits for.
TEST_F(ClientSessionTest, AServerThatMisbehavesCostsOneBudgetAndTheConnection) {
  std::string endless = "BEGIN LIST VAR ups\n";
  for (int i = 0; i < 10000; ++i) endless += "VAR ups x." + std::to_string(i) + " \"1\"\n";
  std::string huge_list = "BEGIN LIST VAR ups\n";
  for (int i = 0; i < 100; ++i) huge_list += "VAR ups y." + std::to_string(i) + " \"" + std::string(900, 'v') + "\"\n";
  struct Case {
    const char* what;
    Answer answer;
  };
  const Case cases[] = {
      {"silence", {""}},
      {"one byte a second", {"BEGIN LIST VAR ups\nVAR ups ups.status \"OL\"\nEND LIST VAR ups\n", 1000, 1}},
      {"the list's end too late", {"BEGIN LIST VAR ups\nEND LIST VAR ups\n", 600, 19}},
      {"an overlong line", {"VAR ups ups.status \"" + std::string(5000, 'O') + "\"\n"}},
      {"an endless list", {endless}},
      {"more bytes than an exchange may bring", {huge_list}},
      {"another UPS's list", {"BEGIN LIST VAR other\nEND LIST VAR other\n"}},
      {"a stray line", {"BEGIN LIST VAR ups\nOK\nEND LIST VAR ups\n"}},
      {"binary junk", {std::string("\x01\xFF\xFE\x00\x80\n", 6)}},
      {"closed in the middle", {"BEGIN LIST VAR ups\nVAR ups ups.status \"OL\"\n", 0, 1 << 20, true}},
      {"an error after the list began", {"BEGIN LIST VAR ups\nERR DATA-STALE\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedServer hostile(clock);
    hostile.respond = [&](std::string_view) { return c.answer; };
    ClientSession session(hostile, clock, settings(""));
    const std::uint32_t start = clock.now;
    const CycleReading reading = session.read_variables(kBudget);
    EXPECT_LE(clock.now - start, kBudget);
    EXPECT_FALSE(reading.answered);
    EXPECT_FALSE(reading.problem.empty());
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(hostile.closes, 1);
  }
}

TEST_F(ClientSessionTest, ABadlyQuotedValueIsTakenAsTheSplitterReadsIt) {
  server.respond = friendly_server({"BEGIN LIST VAR ups", "VAR ups ups.status \"OB LB", "VAR ups a \\\"b",
                                    "END LIST VAR ups"});
  ClientSession session(server, clock, settings(""));
  const CycleReading reading = session.read_variables(kBudget);
  ASSERT_TRUE(reading.answered);
  EXPECT_EQ(reading.variables.at("ups.status"), "OB LB");
  EXPECT_EQ(reading.variables.at("a"), "\"b");
}

// Cycles a second apart against a server that refuses: attempts after 1, 2, then every 4 s; the
// first answer ends the pause.
TEST_F(ClientSessionTest, ReconnectionWaitsAGrowingPauseUntilTheServerAnswers) {
  for (int i = 0; i < 7; ++i) server.opens.push_back(ServerStream::OpenResult::failed);
  server.respond = friendly_server(kOnMains);
  ClientSession session(server, clock, settings(""));
  clock.now = 0xFFFFF000u;  // the tick count wraps during the pauses
  const std::uint32_t start = clock.now;
  const std::vector<bool> answers = answers_over(session, 30);
  std::vector<std::uint32_t> attempts;
  for (std::uint32_t at : server.open_times) attempts.push_back(at - start);
  EXPECT_EQ(attempts, (std::vector<std::uint32_t>{0, 1000, 3000, 7000, 11000, 15000, 19000, 23000}));
  // The first answer in the cycle of the last attempt, and one in every cycle from then on.
  EXPECT_EQ(std::find(answers.begin(), answers.end(), true) - answers.begin(), 23);
  EXPECT_EQ(std::count(answers.begin(), answers.end(), true), 7);
}

TEST_F(ClientSessionTest, AClosedConnectionIsMadeAgainInTheNextCycle) {
  int lists = 0;
  server.respond = [&](std::string_view request) {
    Answer answer = friendly_server(kOnMains)(request);
    answer.close_after = ++lists == 2;  // the server restarts after its second answer
    return answer;
  };
  ClientSession session(server, clock, settings(""));
  EXPECT_EQ(answers_over(session, 4), (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(server.open_times.size(), 2u);
}

TEST_F(ClientSessionTest, AStillPendingNameLookupIsNoFailure) {
  server.opens = {ServerStream::OpenResult::pending, ServerStream::OpenResult::pending};
  server.respond = friendly_server(kOnMains);
  ClientSession session(server, clock, settings(""));
  EXPECT_EQ(answers_over(session, 3), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(server.open_times.size(), 3u);
}

TEST_F(ClientSessionTest, InstantCommandsGoOutWithTheirAnswers) {
  struct Case {
    const char* user;
    bool connect_first;
    const char* answer;
    bool done;
    const char* refusal;
    const char* request;  // null: nothing may be sent
  };
  const Case cases[] = {
      {"mon", true, "OK\n", true, "", "INSTCMD ups test.battery.start 600\n"},
      {"mon", true, "OK TRACKING 1bd31808\n", true, "", "INSTCMD ups test.battery.start 600\n"},
      {"mon", true, "ERR ACCESS-DENIED\n", false, "ACCESS-DENIED", "INSTCMD ups test.battery.start 600\n"},
      {"mon", true, "ERR CMD-NOT-SUPPORTED\n", false, "CMD-NOT-SUPPORTED", "INSTCMD ups test.battery.start 600\n"},
      {"mon", true, "VAR ups x \"1\"\n", false, "PROTOCOL-ERROR", "INSTCMD ups test.battery.start 600\n"},
      {"", true, "OK\n", false, "no user is configured", nullptr},
      {"mon", false, "OK\n", false, "no connection to the server", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " / " + c.answer);
    ScriptedServer commanded(clock);
    commanded.respond = [&](std::string_view request) {
      if (request.rfind("INSTCMD", 0) == 0) return Answer{c.answer};
      return friendly_server(kOnMains)(request);
    };
    ClientSession session(commanded, clock, settings(c.user));
    if (c.connect_first) session.read_variables(kBudget);
    const std::size_t sent_before = commanded.requests.size();
    const std::string seconds = "600";
    const CommandResult result = session.run_instant_command("test.battery.start", &seconds, kBudget);
    EXPECT_EQ(result.done, c.done);
    EXPECT_EQ(result.refusal, c.refusal);
    if (c.request) {
      ASSERT_EQ(commanded.requests.size(), sent_before + 1);
      EXPECT_EQ(commanded.requests.back(), c.request);
    } else {
      EXPECT_EQ(commanded.requests.size(), sent_before);
    }
  }
}

TEST_F(ClientSessionTest, LogoutIsSentAwaitedAndClosesTheConnection) {
  server.respond = friendly_server(kOnMains);
  ClientSession session(server, clock, settings());
  ASSERT_TRUE(session.read_variables(kBudget).answered);
  EXPECT_TRUE(session.log_out(kBudget));
  EXPECT_EQ(server.requests.back(), "LOGOUT\n");
  EXPECT_FALSE(session.connected());
  EXPECT_FALSE(session.logged_in());
  EXPECT_EQ(server.closes, 1);
  EXPECT_FALSE(session.log_out(kBudget));  // nothing left to end
  EXPECT_EQ(server.requests.back(), "LOGOUT\n");
  EXPECT_EQ(server.requests.size(), 5u);
}

TEST_F(ClientSessionTest, AnUnansweredLogoutStillClosesWithinItsBudget) {
  server.respond = [](std::string_view request) {
    if (request.rfind("LOGOUT", 0) == 0) return Answer{""};
    return friendly_server(kOnMains)(request);
  };
  ClientSession session(server, clock, settings());
  ASSERT_TRUE(session.read_variables(kBudget).answered);
  const std::uint32_t start = clock.now;
  EXPECT_FALSE(session.log_out(500));
  EXPECT_LE(clock.now - start, 500u);
  EXPECT_FALSE(session.connected());
  EXPECT_EQ(server.closes, 1);
}

}  // namespace
}  // namespace nut
