#include "setup/action_request_hand_over.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace installation {
namespace {

using ::testing::Each;
using ::testing::SizeIs;

// Time passes only in sleeps; after each sleep the "service" may act on the block.
class StepClock : public PollClock {
 public:
  explicit StepClock(std::uint32_t start = 0) : now_(start) {}
  std::uint32_t now_ms() override { return now_; }
  void sleep_ms(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now_ += ms;
    if (after_sleep) after_sleep(sleeps.size());
  }
  std::vector<std::uint32_t> sleeps;
  std::function<void(std::size_t)> after_sleep;

 private:
  std::uint32_t now_;
};

TEST(ActionRequestHandOverTest, NonzeroCodeIsPolledEvery200MsUntilTheServiceTakesIt) {
  ipc::UpsSharedBlock block{};
  StepClock clock;
  std::uint32_t seen = 0;
  // Long after any time limit a caller might choose: the wait itself goes on.
  clock.after_sleep = [&](std::size_t sleeps) {
    if (sleeps == 300) seen = std::exchange(block.action_request, 0u);
  };
  hand_over_action_request(block, 4, clock);
  EXPECT_EQ(seen, 4u);
  EXPECT_THAT(clock.sleeps, SizeIs(300));
  EXPECT_THAT(clock.sleeps, Each(kActionRequestPollMs));
}

}  // namespace
}  // namespace installation
