// The NUT server's sockets under Wine: both address families, the clients' limit, overlong lines
// and binary bytes, the login slowdown held to one address, a client that never reads, and the
// logins counted for the critical point. A Winsock client of the test plays the other computers.
#include "nut/network_server_win.h"

#include <gtest/gtest.h>

#include <memory>

#include "nut/served_ups.h"
#include "nut/test_nut_client_win.h"

namespace nut {
namespace {

using testing::NutClient;

class NetworkServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = testing::free_port();
    ASSERT_NE(port, 0);
    VariableSnapshot snapshot;
    snapshot.stale = false;
    snapshot.variables = {{"battery.charge", "97"}, {"ups.load", "23"}, {"ups.status", "OL"}};
    served.publish(snapshot);
  }

  // A server on both loopback addresses with one secondary user.
  std::unique_ptr<NetworkServer> server_with(std::uint32_t max_clients,
                                             std::vector<ListenLine> listen = {}) {
    ServerSetup setup;
    setup.listen = listen.empty() ? std::vector<ListenLine>{{"127.0.0.1", port}, {"::1", port}} : std::move(listen);
    setup.max_clients = max_clients;
    setup.identity.ups_name = "ups";
    setup.identity.ups_description = "Orvik Varnelo 600 (COM1)";
    setup.identity.version_line = "Orvik UPS service 1.0.0";
    setup.users = UserTable({user_from_settings({"mon", "pw2", "secondary", {}, {}}).user});
    return std::make_unique<NetworkServer>(std::move(setup), served, served);
  }

  // Polls the count the critical point reads, for at most five seconds.
  static bool logins_become(const NetworkServer& server, std::size_t count) {
    for (int i = 0; i < 100; ++i) {
      if (server.logged_in() == count) return true;
      Sleep(50);
    }
    return false;
  }

  testing::Winsock winsock;
  ServedUps served;
  std::uint16_t port = 0;
};

TEST_F(NetworkServerTest, ServesEveryListenLineAndNamesTheOnesThatCouldNotBeOpened) {
  // A port this test holds cannot be taken by the server (nor the other way round).
  const std::uint16_t taken = testing::free_port();
  SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = testing::loopback_address(taken);
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(holder, 1), 0);

  auto server = server_with(8, {{"127.0.0.1", port}, {"::1", port}, {"127.0.0.1", taken}});
  ASSERT_TRUE(server->start());
  EXPECT_EQ(server->failed_lines(), (std::vector<ListenLine>{{"127.0.0.1", taken}}));
  for (const char* loopback : {"127.0.0.1", "::1"}) {
    NutClient client(loopback, port);
    ASSERT_TRUE(client.connected()) << loopback;
    EXPECT_EQ(client.ask("VER"), "Orvik UPS service 1.0.0") << loopback;
    EXPECT_EQ(client.ask("GET VAR ups ups.status"), "VAR ups ups.status \"OL\"") << loopback;
  }
  EXPECT_TRUE(server->stop());

  auto nothing = server_with(8, {{"127.0.0.1", taken}});
  EXPECT_FALSE(nothing->start());
  closesocket(holder);
}

TEST_F(NetworkServerTest, BeyondMaxClientsTheNextConnectionIsToldAndClosed) {
  auto server = server_with(2);
  ASSERT_TRUE(server->start());
  auto first = std::make_unique<NutClient>("127.0.0.1", port);
  NutClient second("::1", port);
  ASSERT_EQ(first->ask("NETVER"), "1.3");
  ASSERT_EQ(second.ask("NETVER"), "1.3");

  NutClient third("127.0.0.1", port);
  EXPECT_EQ(third.line(), "ERR ACCESS-DENIED");
  EXPECT_TRUE(third.closed_by_server());

  first.reset();
  bool served_again = false;
  for (int attempt = 0; attempt < 50 && !served_again; ++attempt) {
    NutClient again("127.0.0.1", port);
    served_again = again.ask("NETVER") == "1.3";
    if (!served_again) Sleep(100);
  }
  EXPECT_TRUE(served_again) << "a place that became free is given again";
}

TEST_F(NetworkServerTest, AnOverlongLineIsRefusedAndClosedAndBinaryBytesConfuseNothing) {
  auto server = server_with(8);
  ASSERT_TRUE(server->start());
  NutClient overlong("127.0.0.1", port);
  ASSERT_TRUE(overlong.send_text("VER\n" + std::string(5000, 'A') + "\nVER\n"));
  EXPECT_EQ(overlong.line(), "Orvik UPS service 1.0.0");
  EXPECT_EQ(overlong.line(), "ERR TOO-LONG");
  EXPECT_TRUE(overlong.closed_by_server());

  NutClient binary("::1", port);
  std::string bytes;
  for (int i = 0; i < 4000; ++i) bytes += static_cast<char>((i * 7919) % 256);
  ASSERT_TRUE(binary.send_text(bytes + "\n"));
  // Whatever the bytes made of it, the connection still answers in whole lines afterwards.
  ASSERT_TRUE(binary.send_text("\nNETVER\n"));
  std::optional<std::string> answer;
  while ((answer = binary.line()) && *answer != "1.3") EXPECT_EQ(answer->rfind("ERR ", 0), 0u) << *answer;
  EXPECT_EQ(answer, "1.3");
  EXPECT_EQ(NutClient("127.0.0.1", port).ask("VER"), "Orvik UPS service 1.0.0");
}

// Wrong passwords from one address are answered ever later; another address is served meanwhile.
TEST_F(NetworkServerTest, AHeldAnswerDelaysOnlyItsOwnAddress) {
  auto server = server_with(8);
  ASSERT_TRUE(server->start());
  NutClient guesser("127.0.0.1", port);
  ASSERT_EQ(guesser.ask("USERNAME mon"), "OK");
  ASSERT_EQ(guesser.ask("PASSWORD wrong"), "OK");
  for (unsigned attempt = 0; attempt < LoginSlowdown::kFreeFailures; ++attempt)
    ASSERT_EQ(guesser.ask("LOGIN ups"), "ERR ACCESS-DENIED");
  // The next two checks from that address queue: one second, then two more.
  NutClient second_guesser("127.0.0.1", port);
  ASSERT_EQ(second_guesser.ask("USERNAME mon"), "OK");
  ASSERT_EQ(second_guesser.ask("PASSWORD wrong"), "OK");
  ASSERT_TRUE(guesser.send_text("LOGIN ups\n"));
  Sleep(100);
  ASSERT_TRUE(second_guesser.send_text("LOGIN ups\n"));

  NutClient other("::1", port);
  EXPECT_EQ(other.ask("USERNAME mon"), "OK");
  EXPECT_EQ(other.ask("PASSWORD pw2"), "OK");
  EXPECT_EQ(other.ask("LOGIN ups"), "OK");
  // The second guess is due about three seconds after the first: nothing of it has come yet.
  EXPECT_FALSE(second_guesser.has_bytes_waiting());
  EXPECT_EQ(guesser.line(), "ERR ACCESS-DENIED");
  EXPECT_EQ(second_guesser.line(), "ERR ACCESS-DENIED");
}

TEST_F(NetworkServerTest, AClientThatNeverReadsHoldsUpNoOneElseNorTheStop) {
  auto server = server_with(8);
  ASSERT_TRUE(server->start());
  SOCKET flood = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = testing::loopback_address(port);
  ASSERT_EQ(connect(flood, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  u_long non_blocking = 1;
  ioctlsocket(flood, FIONBIO, &non_blocking);
  std::string requests;
  for (int i = 0; i < 1000; ++i) requests += "LIST VAR ups\n";
  std::size_t sent_total = 0;
  for (int round = 0; round < 200; ++round) {
    const int sent = send(flood, requests.data(), static_cast<int>(requests.size()), 0);
    if (sent <= 0) break;
    sent_total += static_cast<std::size_t>(sent);
  }
  EXPECT_GT(sent_total, 0u);

  for (int i = 0; i < 20; ++i) EXPECT_EQ(NutClient("::1", port).ask("GET VAR ups ups.load"), "VAR ups ups.load \"23\"");
  bool flood_alone = false;
  for (int i = 0; i < 100 && !flood_alone; ++i, Sleep(50)) flood_alone = server->connections() == 1;
  EXPECT_TRUE(flood_alone) << "the flood's connection alone is left";
  EXPECT_TRUE(server->stop());
  closesocket(flood);
}

TEST_F(NetworkServerTest, LoginsAreCountedUntilLogoutOrDisconnection) {
  auto server = server_with(8);
  ASSERT_TRUE(server->start());
  EXPECT_EQ(server->logged_in(), 0u);
  NutClient leaving("127.0.0.1", port);
  auto vanishing = std::make_unique<NutClient>("::1", port);
  for (NutClient* client : {&leaving, vanishing.get()}) {
    ASSERT_EQ(client->ask("USERNAME mon"), "OK");
    ASSERT_EQ(client->ask("PASSWORD pw2"), "OK");
    ASSERT_EQ(client->ask("LOGIN ups"), "OK");
  }
  EXPECT_TRUE(logins_become(*server, 2));
  EXPECT_EQ(leaving.ask("LOGOUT"), "OK Goodbye");
  EXPECT_TRUE(logins_become(*server, 1));
  vanishing.reset();
  EXPECT_TRUE(logins_become(*server, 0));
}

}  // namespace
}  // namespace nut
