// The running core sharing its UPS over the network, end to end under Wine: a host drives the
// library's exports against the simulated UPS while a Winsock client of the test plays another
// computer on it. A permitted client's FSD is the critical point at once; instant commands reach
// the UPS from the query thread as the tray's would; the critical point's wait lets logged-in
// clients go first and ends at "HostSync" when one stays; with the server off nothing listens and
// nothing waits. (NUT's own programs against the installed service: tools/nut/nut_clients_check.sh.)
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/test_minidriver_fixture_win.h"
#include "nut/test_nut_client_win.h"
#include "platform/system_function_win.h"
#include "setup/setup_export.h"

namespace core {
namespace {

using namespace core::testing;
using nut::testing::NetworkKeyForTest;
using nut::testing::NutClient;

class NetworkSharing : public MinidriverHostTest {
 protected:
  static void SetUpTestSuite() { set_up_host("orvik_network_sharing"); }

  void SetUp() override {
    port_ = nut::testing::free_port();
    ASSERT_NE(port_, 0);
    ASSERT_TRUE(key_.opened());
    key_.set(nut::network_value::kEnable, 1u);
    key_.set(nut::network_value::kListen, std::vector<std::string>{"127.0.0.1 " + std::to_string(port_)});
    key_.set(nut::network_value::kHostSync, 5u);
    key_.add_user({"mon", "pw2", "secondary", {}, {}});
    key_.add_user({"admin", "s3cret", "", {"FSD"}, {"all"}});
    setup_ = platform::find_system_function<SetupFunction>(library_, "setup");
    ASSERT_NE(setup_, nullptr);
  }

  // A client of the running server, logged in as `user` (nothing for "").
  std::unique_ptr<NutClient> client(const char* user = "", const char* password = "") {
    auto connected = std::make_unique<NutClient>("127.0.0.1", port_);
    EXPECT_TRUE(connected->connected());
    if (*user) {
      EXPECT_EQ(connected->ask(std::string("USERNAME ") + user), "OK");
      EXPECT_EQ(connected->ask(std::string("PASSWORD ") + password), "OK");
    }
    return connected;
  }

  static std::string status(NutClient& client) { return client.ask("GET VAR ups ups.status"); }

  static DWORD WINAPI call_let_clients_go_first(void* setup) {
    return static_cast<DWORD>(reinterpret_cast<SetupFunction>(setup)(installation::kLetNetworkClientsGoFirst, 0));
  }

  // setup command 15 on a thread of its own, as the host's thread calls it at the critical point.
  HANDLE let_clients_go_first() {
    return CreateThread(nullptr, 0, call_let_clients_go_first, reinterpret_cast<void*>(setup_), 0, nullptr);
  }

  nut::testing::Winsock winsock_;
  NetworkKeyForTest key_;
  std::uint16_t port_ = 0;
  SetupFunction setup_ = nullptr;
};

TEST_F(NetworkSharing, APermittedClientsFsdIsTheCriticalPointAtOnce) {
  ASSERT_TRUE(start());
  const std::size_t events_before = output_->events().size();
  auto watcher = client();
  EXPECT_EQ(status(*watcher), "VAR ups ups.status \"OL\"");
  EXPECT_EQ(exports_.get_state(), UPS_ONLINE);

  auto refused = client("mon", "pw2");
  EXPECT_EQ(refused->ask("FSD ups"), "ERR ACCESS-DENIED") << "a secondary may not order it";
  auto admin = client("admin", "s3cret");
  EXPECT_EQ(admin->ask("FSD ups"), "OK FSD-SET");
  EXPECT_EQ(status(*watcher), "VAR ups ups.status \"FSD OL\"") << "every client sees it in its next answer";

  // The host waiting on mains is woken with battery low, as by the UPS's own bit.
  WaitingHost host(exports_, UPS_ONLINE, 20000);
  ASSERT_TRUE(host.returns_within(10000));
  EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
  const std::string events = since(output_->events(), events_before);
  EXPECT_TRUE(CoreOutput::has_event(events, 43, "Команда выключения (FSD) от сетевого клиента admin (127.0.0.1)"))
      << events;
  EXPECT_EQ(events.find("|17|"), std::string::npos) << "the UPS did not report its battery low";
}

TEST_F(NetworkSharing, InstantCommandsReachTheUpsAndTheBeeperStaysAsToggled) {
  ConfigOverride config;
  config.set_dword("TurnUPSOffWait", 60);
  ASSERT_TRUE(start());
  // The installation's settings want the beeper off, and the core keeps it so in every cycle.
  ASSERT_TRUE(eventually([] { return simulator::state("beeper") == "off"; }, 10000));
  const std::size_t mark = simulator::received().size();
  auto admin = client("admin", "s3cret");
  auto tester = client("mon", "pw2");
  EXPECT_EQ(tester->ask("INSTCMD ups test.battery.start.quick"), "ERR ACCESS-DENIED");
  EXPECT_EQ(admin->ask("INSTCMD ups test.battery.start 120"), "OK");
  EXPECT_EQ(admin->ask("INSTCMD ups test.battery.stop"), "OK");
  EXPECT_EQ(admin->ask("INSTCMD ups shutdown.return"), "OK");
  EXPECT_EQ(admin->ask("INSTCMD ups shutdown.stop"), "OK");
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == "T02\rCT\rS01R0000\rC\r"; }, 10000))
      << simulator::commands_since(mark);

  EXPECT_EQ(admin->ask("INSTCMD ups beeper.toggle"), "OK");
  EXPECT_TRUE(eventually([] { return simulator::state("beeper") == "on"; }, 10000));
  // The next cycles must not undo it.
  const std::size_t polls_mark = simulator::received().size();
  ASSERT_TRUE(eventually([&] { return simulator::count(simulator::received().substr(polls_mark), "Q1\r") >= 3; }, 10000));
  EXPECT_EQ(simulator::state("beeper"), "on");
  EXPECT_EQ(admin->ask("GET VAR ups ups.beeper.status"), "VAR ups ups.beeper.status \"enabled\"");
}

TEST_F(NetworkSharing, TheCriticalPointWaitsForTheClientsToLeaveAndAtMostHostSync) {
  ASSERT_TRUE(start());
  const std::size_t events_before = output_->events().size();
  auto leaving = client("mon", "pw2");
  ASSERT_EQ(leaving->ask("LOGIN ups"), "OK");
  HANDLE wait = let_clients_go_first();
  ASSERT_NE(wait, nullptr);
  EXPECT_TRUE(eventually([&] { return status(*leaving) == "VAR ups ups.status \"FSD OL\""; }, 5000));
  EXPECT_EQ(WaitForSingleObject(wait, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "it waits while the client is there";
  EXPECT_EQ(leaving->ask("LOGOUT"), "OK Goodbye");
  EXPECT_EQ(WaitForSingleObject(wait, 5000), WAIT_OBJECT_0);
  CloseHandle(wait);
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_before), 42,
                                    "Ожидание других компьютеров: оповещено 1, отключилось 1, за "));

  // A client that stays: the wait ends at HostSync, and what follows is not held up.
  auto staying = client("mon", "pw2");
  ASSERT_EQ(staying->ask("LOGIN ups"), "OK");
  wait = let_clients_go_first();
  EXPECT_EQ(WaitForSingleObject(wait, 15000), WAIT_OBJECT_0);
  CloseHandle(wait);
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_before), 42,
                                    "Ожидание других компьютеров: оповещено 1, отключилось 0, за 5."))
      << "HostSync is 5 s";
}

TEST_F(NetworkSharing, WithTheServerOffNothingListensAndNothingWaits) {
  key_.set(nut::network_value::kEnable, 0u);
  ASSERT_TRUE(start());
  const std::size_t events_before = output_->events().size();
  NutClient nobody;
  EXPECT_FALSE(nobody.connect("127.0.0.1", port_));
  HANDLE wait = let_clients_go_first();
  EXPECT_EQ(WaitForSingleObject(wait, 2000), WAIT_OBJECT_0);
  CloseHandle(wait);
  EXPECT_EQ(since(output_->events(), events_before).find("|42|"), std::string::npos);
}

}  // namespace
}  // namespace core
