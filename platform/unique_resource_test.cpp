#include "platform/unique_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

// Values 1.. are open resources; 0 is empty. Every close is recorded.
std::vector<int> g_closed;
struct CountingTraits {
  using Value = int;
  static Value empty() { return 0; }
  static bool is_open(Value v) { return v != 0; }
  static void close(Value v) { g_closed.push_back(v); }
};
using Owned = UniqueResource<CountingTraits>;

class UniqueResourceTest : public ::testing::Test {
 protected:
  void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueResourceTest, ClosesOnceWhenItGoesOutOfScope) {
  { Owned owned(7); }
  EXPECT_EQ(g_closed, std::vector<int>{7});
  { Owned empty; }
  EXPECT_EQ(g_closed.size(), 1u);
}

TEST_F(UniqueResourceTest, MoveHandsTheValueOverAndLeavesTheSourceEmpty) {
  Owned source(3);
  Owned target(std::move(source));
  EXPECT_FALSE(source.is_open());
  EXPECT_EQ(target.get(), 3);
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueResourceTest, MoveAssignmentClosesWhatTheTargetHeld) {
  Owned target(1);
  Owned source(2);
  target = std::move(source);
  EXPECT_EQ(g_closed, std::vector<int>{1});
  EXPECT_EQ(target.get(), 2);
  EXPECT_FALSE(source);
}

TEST_F(UniqueResourceTest, SelfMoveAssignmentKeepsTheValue) {
  Owned owned(4);
  Owned& alias = owned;
  owned = std::move(alias);
  EXPECT_EQ(owned.get(), 4);
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueResourceTest, ResetClosesTheOldValueButNotTheSameOne) {
  Owned owned(5);
  owned.reset(5);
  EXPECT_TRUE(g_closed.empty());
  owned.reset(6);
  EXPECT_EQ(g_closed, std::vector<int>{5});
  owned.reset();
  EXPECT_EQ(g_closed, (std::vector<int>{5, 6}));
  EXPECT_FALSE(owned);
}

TEST_F(UniqueResourceTest, ReleaseGivesUpOwnershipWithoutClosing) {
  Owned owned(8);
  EXPECT_EQ(owned.release(), 8);
  EXPECT_FALSE(owned);
  EXPECT_TRUE(g_closed.empty());
}

TEST_F(UniqueResourceTest, ReceiveClosesTheOldValueAndExposesAnEmptySlot) {
  Owned owned(9);
  int* slot = owned.receive();
  EXPECT_EQ(g_closed, std::vector<int>{9});
  EXPECT_EQ(*slot, 0);
  *slot = 10;  // what a creating call would do
  EXPECT_EQ(owned.get(), 10);
}

}  // namespace
}  // namespace platform
