#include "nut/served_ups.h"

#include <gtest/gtest.h>

#include <thread>

namespace nut {
namespace {

VariableSnapshot snapshot_with(std::string status) {
  VariableSnapshot snapshot;
  snapshot.stale = false;
  snapshot.variables = {{"ups.status", std::move(status)}};
  return snapshot;
}

TEST(ServedUps, BeforeTheFirstCycleTheDataIsStale) {
  ServedUps served;
  EXPECT_TRUE(served.variables()->stale);
}

TEST(ServedUps, AClientsFsdShowsAtOnceStaysForEveryCycleAndIsTakenOnce) {
  ServedUps served;
  served.publish(snapshot_with("OB"));
  const auto before = served.variables();
  served.forced_shutdown("admin", "192.168.1.9");
  served.forced_shutdown("other", "192.168.1.10");
  EXPECT_TRUE(served.variables()->forced_shutdown);
  EXPECT_FALSE(before->forced_shutdown) << "a snapshot handed out is never changed";
  served.publish(snapshot_with("OB LB"));
  EXPECT_TRUE(served.variables()->forced_shutdown);
  EXPECT_EQ(served.variables()->find("ups.status")->value, "OB LB");

  const std::optional<ServedUps::Requester> first = served.take_client_forced_shutdown();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->user, "admin");
  EXPECT_EQ(first->address, "192.168.1.9");
  EXPECT_FALSE(served.take_client_forced_shutdown());
}

TEST(ServedUps, TheCriticalPointRaisesTheFlagWithoutAClientToReport) {
  ServedUps served;
  served.publish(snapshot_with("OB LB"));
  served.raise_forced_shutdown();
  EXPECT_TRUE(served.variables()->forced_shutdown);
  EXPECT_FALSE(served.take_client_forced_shutdown());
}

TEST(ServedUps, CommandsQueueInOrderUpToTheLimitAndAreRefusedOnceNothingWouldSendThem) {
  ServedUps served;
  for (std::size_t i = 0; i < ServedUps::kMaxWaitingOrders; ++i)
    EXPECT_TRUE(served.instant_command({InstantCommand::test_battery_start, static_cast<std::uint32_t>(i + 1)}, "u", "a"));
  EXPECT_FALSE(served.instant_command({InstantCommand::beeper_toggle, 0}, "u", "a")) << "a full queue refuses";
  const std::vector<ServedUps::Order> orders = served.take_orders();
  ASSERT_EQ(orders.size(), ServedUps::kMaxWaitingOrders);
  EXPECT_EQ(orders.front().request.test_minutes, 1u);
  EXPECT_EQ(orders.back().request.test_minutes, ServedUps::kMaxWaitingOrders);
  EXPECT_TRUE(served.take_orders().empty());

  EXPECT_TRUE(served.instant_command({InstantCommand::beeper_toggle, 0}, "u", "a"));
  served.refuse_orders();
  EXPECT_TRUE(served.take_orders().empty()) << "what waited is dropped with the polling thread";
  EXPECT_FALSE(served.instant_command({InstantCommand::beeper_toggle, 0}, "u", "a"));
}

// The server's thread reads while the polling thread publishes: every reader gets a whole snapshot.
TEST(ServedUps, ReadersNeverSeeAHalfPublishedSnapshot) {
  ServedUps served;
  std::thread publisher([&] {
    for (int i = 0; i < 2000; ++i) served.publish(snapshot_with(std::string(1 + i % 7, 'x')));
  });
  for (int i = 0; i < 2000; ++i) {
    const auto snapshot = served.variables();
    if (snapshot->variables.empty()) continue;
    const std::string& value = snapshot->variables[0].value;
    EXPECT_EQ(value.find_first_not_of('x'), std::string::npos);
  }
  publisher.join();
}

}  // namespace
}  // namespace nut
