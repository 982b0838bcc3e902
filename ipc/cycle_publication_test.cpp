#include "ipc/cycle_publication.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ipc/cycle_write_count.h"
#include "ipc/test_status_values.h"

namespace ipc {
namespace {

// Sees the cycle as a reader in another process would: the block at the moment of each event
// operation, and where the registry writes fall.
class CycleObserver : public NewDataSignal, public StatusValueWriter {
 public:
  explicit CycleObserver(const UpsSharedBlock& block) : block_(block) {}
  void reset() override {
    steps.push_back("reset");
    at_reset = block_;
  }
  void set() override {
    steps.push_back("set");
    at_set = block_;
    copy_at_set = copy_whole_cycle(block_, picture_);
  }
  void write(const char* name, std::uint32_t) override {
    steps.push_back(name);
    copied_mid_cycle |= copy_whole_cycle(block_, picture_);
  }

  std::vector<std::string> steps;
  UpsSharedBlock at_reset{};
  UpsSharedBlock at_set{};
  bool copied_mid_cycle = false;
  bool copy_at_set = false;

 private:
  const UpsSharedBlock& block_;
  UpsSharedBlock picture_{};
};

UpsSharedBlock previous_cycle() {
  UpsSharedBlock block{};
  block.link_ok = 1;
  block.status.input_voltage = 1;
  block.time_in_state = 500;
  block.write_count = 7;  // odd, as another process could leave it
  set_block_raw_line(block, "(old");
  return block;
}

bool same_bytes(const UpsSharedBlock& a, const UpsSharedBlock& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PublishCycle, EveryWriteFallsBetweenResetAndSet) {
  UpsSharedBlock block = previous_cycle();
  const UpsSharedBlock before = block;
  CycleObserver observer(block);
  PollingCycle cycle;
  cycle.status.input_voltage = 230;
  cycle.status.battery_voltage = 12;
  cycle.raw_line = "(new";
  cycle.link_lost = false;
  cycle.shutdown_reason = 2;
  cycle.time_in_state_ms = 1234;
  publish_cycle(block, cycle, testing::example_model(), observer, observer);

  EXPECT_EQ(observer.steps, (std::vector<std::string>{"reset", "CommStatus", "BatteryStatus", "BatteryCapacity",
                                                      "TotalUPSRuntime", "set"}));
  EXPECT_TRUE(same_bytes(observer.at_reset, before)) << "the block changed before the event was reset";
  EXPECT_TRUE(same_bytes(observer.at_set, block)) << "the block changed after the event was set";
  EXPECT_FALSE(observer.copied_mid_cycle) << "a reader copying mid-cycle must be refused";
  EXPECT_TRUE(observer.copy_at_set) << "the cycle is whole once the event is set";
  EXPECT_FLOAT_EQ(block.status.input_voltage, 230);
  EXPECT_STREQ(block.raw_line, "(new");
  EXPECT_EQ(block.shutdown_reason, 2u);
  EXPECT_EQ(block.link_ok, 1);
  EXPECT_EQ(block.time_in_state, 1234);
  EXPECT_EQ(block.capacity_valid, 1);
}

TEST(PublishCycle, LostLinkClearsLinkOkAndKeepsTheLastLine) {
  UpsSharedBlock block = previous_cycle();
  CycleObserver observer(block);
  PollingCycle cycle;
  cycle.time_in_state_ms = 0;
  publish_cycle(block, cycle, testing::example_model(), observer, observer);

  EXPECT_EQ(observer.steps, (std::vector<std::string>{"reset", "CommStatus", "set"}));
  EXPECT_EQ(block.link_ok, 0);
  EXPECT_STREQ(block.raw_line, "(old");
  EXPECT_EQ(block.time_in_state, 0);
}

TEST(PublishCycle, AServersOwnChargeAndRuntimeReachTheBlock) {
  UpsSharedBlock block{};
  CycleObserver observer(block);
  PollingCycle cycle;
  cycle.link_lost = false;
  cycle.server_battery = {42.0f, 17.0f};
  publish_cycle(block, cycle, core::ModelRecord{}, observer, observer);
  EXPECT_EQ(block.capacity_valid, 1);
  EXPECT_FLOAT_EQ(block.capacity, 42);
  EXPECT_FLOAT_EQ(block.runtime, 17);
}

TEST(PublishCycle, TimeInStateStaysWithinTheSigned32BitField) {
  UpsSharedBlock block{};
  CycleObserver observer(block);
  PollingCycle cycle;
  cycle.time_in_state_ms = -20;
  publish_cycle(block, cycle, core::ModelRecord{}, observer, observer);
  EXPECT_EQ(block.time_in_state, 0);
  cycle.time_in_state_ms = 3'000'000'000;  // about 35 days in one state
  publish_cycle(block, cycle, core::ModelRecord{}, observer, observer);
  EXPECT_EQ(block.time_in_state, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace ipc
