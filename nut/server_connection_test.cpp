#include "nut/server_connection.h"

#include <gtest/gtest.h>

#include <string>

#include "nut/test_server_world.h"

namespace nut {
namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

class ServerConnectionTest : public ::testing::Test {
 protected:
  // Sends everything that is due, as a socket that takes it all would.
  std::string deliver(Milliseconds now) {
    std::string delivered;
    for (std::string_view due = connection.to_send(now); !due.empty(); due = connection.to_send(now)) {
      delivered.append(due);
      connection.sent(due.size(), now);
    }
    return delivered;
  }

  TestServerWorld world;
  ServerConnection connection{world.shared, 1, "192.168.1.20", 0ms};
};

TEST_F(ServerConnectionTest, LinesInAnyPiecesAreAnsweredInOrderWithEitherLineEnd) {
  connection.received("VE", 0ms);
  EXPECT_EQ(deliver(0ms), "");
  connection.received("R\r\nNETVER\nGET VAR ups ups.", 0ms);
  EXPECT_EQ(deliver(0ms), "Orvik UPS service 1.0.0\n1.3\n");
  connection.received("load\r\n", 0ms);
  EXPECT_EQ(deliver(0ms), "VAR ups ups.load \"12\"\n");
}

TEST_F(ServerConnectionTest, TheNextRequestWaitsUntilThePreviousAnswerHasLeftAndNothingIsReadMeanwhile) {
  connection.received("NETVER\nVER\n", 0ms);
  EXPECT_EQ(connection.to_send(0ms), "1.3\n");
  EXPECT_FALSE(connection.wants_to_read()) << "a client that does not read must not fill the server's memory";
  connection.sent(3, 0ms);
  EXPECT_EQ(connection.to_send(0ms), "\n");
  connection.sent(1, 0ms);
  EXPECT_EQ(connection.to_send(0ms), "Orvik UPS service 1.0.0\n");
  connection.sent(connection.to_send(0ms).size(), 0ms);
  EXPECT_TRUE(connection.wants_to_read());
}

TEST_F(ServerConnectionTest, AHeldAnswerLeavesOnlyWhenItsPauseIsOverAndHoldsTheLinesBehindIt) {
  connection.received("USERNAME mon\nPASSWORD wrong\n", 0ms);
  deliver(0ms);
  for (unsigned attempt = 0; attempt < LoginSlowdown::kFreeFailures; ++attempt) {
    connection.received("LOGIN ups\n", 0ms);
    EXPECT_EQ(deliver(0ms), "ERR ACCESS-DENIED\n");
  }
  // The next wrong password in a row is answered after the slowdown's pause.
  connection.received("LOGIN ups\nVER\n", 10ms);
  EXPECT_EQ(connection.to_send(10ms), "");
  EXPECT_FALSE(connection.wants_to_read());
  const Milliseconds release = connection.next_deadline();
  EXPECT_GT(release, 10ms);
  EXPECT_LE(release, 10ms + LoginSlowdown::kLongestPause);
  connection.tick(release - 1ms);
  EXPECT_EQ(deliver(release - 1ms), "");
  connection.tick(release);
  EXPECT_EQ(deliver(release), "ERR ACCESS-DENIED\nOrvik UPS service 1.0.0\n");
}

TEST_F(ServerConnectionTest, AnOverlongLineIsRefusedAfterTheLinesBeforeItAndEndsTheConnection) {
  connection.received("NETVER\n" + std::string(kMaxRequestLength + 1, 'A') + "\nVER\n", 0ms);
  EXPECT_EQ(deliver(0ms), "1.3\nERR TOO-LONG\n");
  EXPECT_TRUE(connection.finished());
}

TEST_F(ServerConnectionTest, LogoutEndsTheConnectionOnceItsAnswerHasLeft) {
  connection.received("USERNAME mon\nPASSWORD pw2\nLOGIN ups\n", 0ms);
  deliver(0ms);
  EXPECT_TRUE(connection.logged_in());
  EXPECT_EQ(world.logins.count(), 1u);
  connection.received("LOGOUT\nVER\n", 0ms);
  EXPECT_FALSE(connection.finished());
  EXPECT_EQ(deliver(0ms), "OK Goodbye\n");
  EXPECT_TRUE(connection.finished());
  EXPECT_EQ(world.logins.count(), 0u);
}

TEST_F(ServerConnectionTest, AClientSilentForTheIdleLimitIsDropped) {
  connection.received("VER\n", 1000ms);
  deliver(1000ms);
  connection.tick(1000ms + ServerConnection::kIdleLimit - 1ms);
  EXPECT_FALSE(connection.finished());
  EXPECT_EQ(connection.next_deadline(), 1000ms + ServerConnection::kIdleLimit);
  connection.tick(1000ms + ServerConnection::kIdleLimit);
  EXPECT_TRUE(connection.finished());
}

TEST_F(ServerConnectionTest, AClientThatNeverTakesItsAnswerIsDroppedAtTheIdleLimit) {
  connection.received("LIST VAR ups\n", 0ms);
  connection.sent(5, 30000ms);  // some bytes left, then the client stopped reading
  connection.tick(30000ms + ServerConnection::kIdleLimit - 1ms);
  EXPECT_FALSE(connection.finished());
  connection.tick(30000ms + ServerConnection::kIdleLimit);
  EXPECT_TRUE(connection.finished());
}

TEST_F(ServerConnectionTest, AHungUpClientIsFinishedAndItsLoginGoes) {
  {
    ServerConnection other(world.shared, 2, "10.0.0.1", 0ms);
    other.received("USERNAME mon\nPASSWORD pw2\nLOGIN ups\n", 0ms);
    while (!other.to_send(0ms).empty()) other.sent(other.to_send(0ms).size(), 0ms);
    EXPECT_EQ(world.logins.count(), 1u);
    other.hung_up();
    EXPECT_TRUE(other.finished());
    EXPECT_EQ(other.to_send(0ms), "");
  }
  EXPECT_EQ(world.logins.count(), 0u);
}

}  // namespace
}  // namespace nut
