// The TCP stream under Wine against a line server in the test: the client's session over real
// sockets, IPv4 and IPv6, a refused port, a silent server, a server that goes away, and host names
// looked up on the side.
#include "nut/tcp_stream_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nut/client_session.h"
#include "nut/test_line_server_win.h"

namespace nut {
namespace {

using testing::LineServer;

std::string nut_answer(const std::string& line) {
  if (line == "LIST VAR ups") return "BEGIN LIST VAR ups\nVAR ups ups.status \"OB LB\"\nEND LIST VAR ups\n";
  if (line == "LOGOUT") return "OK Goodbye\n";
  return "OK\n";
}

// Opens until the name lookup on the side has ended (it may take a few calls).
ServerStream::OpenResult open_waiting(TcpStream& stream, const ServerAddress& address) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const ServerStream::OpenResult result = stream.open(address, 200);
    if (result != ServerStream::OpenResult::pending) return result;
  }
  return ServerStream::OpenResult::pending;
}

class TcpStreamTest : public ::testing::Test {
 protected:
  void TearDown() override { stream.release(); }

  SystemSessionClock clock;
  TcpStream stream;
};

TEST_F(TcpStreamTest, TheSessionLogsInReadsAndLogsOutOverIpv4) {
  LineServer server("127.0.0.1", nut_answer);
  ASSERT_TRUE(server.listening());
  ClientSession session(stream, clock, {{"ups", "127.0.0.1", server.port()}, "mon", "pw"});
  const CycleReading reading = session.read_variables(2000);
  ASSERT_TRUE(reading.answered) << reading.problem;
  EXPECT_EQ(reading.variables.at("ups.status"), "OB LB");
  EXPECT_TRUE(session.log_out(2000));
  EXPECT_EQ(server.lines(), (std::vector<std::string>{"USERNAME mon", "PASSWORD pw", "LOGIN ups", "LIST VAR ups", "LOGOUT"}));
}

TEST_F(TcpStreamTest, Ipv6LoopbackInBracketsIsReached) {
  LineServer server("::1", nut_answer);
  if (!server.listening()) GTEST_SKIP() << "no IPv6 loopback here";
  ClientSession session(stream, clock, {{"ups", "::1", server.port()}, "", ""});
  const CycleReading reading = session.read_variables(2000);
  EXPECT_TRUE(reading.answered) << reading.problem;
}

TEST_F(TcpStreamTest, AHostNameIsLookedUpOnTheSide) {
  LineServer server("127.0.0.1", nut_answer);
  ASSERT_TRUE(server.listening());
  ASSERT_EQ(open_waiting(stream, {"ups", "localhost", server.port()}), ServerStream::OpenResult::connected)
      << stream.problem();
  ASSERT_TRUE(stream.send("LIST VAR ups\n", 2000));
  char buffer[256];
  const ServerStream::Received got = stream.receive(buffer, sizeof buffer, 5000);
  EXPECT_GT(got.count, 0u);
}

TEST_F(TcpStreamTest, ANameWithoutAddressFailsWithItsReason) {
  EXPECT_EQ(open_waiting(stream, {"ups", "no-such-host.invalid", 3493}), ServerStream::OpenResult::failed);
  EXPECT_NE(stream.problem().find("no address"), std::string::npos) << stream.problem();
}

TEST_F(TcpStreamTest, AClosedPortIsRefused) {
  std::uint16_t free_port = 0;
  {
    LineServer gone("127.0.0.1", nut_answer);
    free_port = gone.port();
  }
  EXPECT_EQ(stream.open({"ups", "127.0.0.1", free_port}, 2000), ServerStream::OpenResult::failed);
  EXPECT_NE(stream.problem().find("refused"), std::string::npos) << stream.problem();
}

TEST_F(TcpStreamTest, ASilentServerYieldsNothingAndAServerThatGoesAwayEndsTheStream) {
  LineServer server("127.0.0.1", [](const std::string&) { return std::string(); });
  ASSERT_EQ(stream.open({"ups", "127.0.0.1", server.port()}, 2000), ServerStream::OpenResult::connected);
  ASSERT_TRUE(stream.send("LIST VAR ups\n", 1000));
  char buffer[64];
  ServerStream::Received got = stream.receive(buffer, sizeof buffer, 200);
  EXPECT_EQ(got.count, 0u);
  EXPECT_FALSE(got.ended);

  server.drop_client();
  for (int attempt = 0; attempt < 50 && !got.ended; ++attempt) got = stream.receive(buffer, sizeof buffer, 100);
  EXPECT_TRUE(got.ended);
  EXPECT_FALSE(stream.problem().empty());
}

TEST_F(TcpStreamTest, NothingIsSentOrReceivedWithoutAConnection) {
  EXPECT_FALSE(stream.send("LIST VAR ups\n", 100));
  char buffer[8];
  EXPECT_TRUE(stream.receive(buffer, sizeof buffer, 100).ended);
}

}  // namespace
}  // namespace nut
