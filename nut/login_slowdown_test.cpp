#include "nut/login_slowdown.h"

#include <gtest/gtest.h>

#include <vector>

namespace nut {
namespace {

using Milliseconds = LoginSlowdown::Milliseconds;
using namespace std::chrono_literals;

// One credential check: how long its answer waited.
Milliseconds attempt(LoginSlowdown& slowdown, const char* address, bool right, Milliseconds now) {
  const Milliseconds wait = slowdown.admit(address, now);
  slowdown.record(address, right, now);
  return wait;
}

TEST(LoginSlowdownTest, WrongPasswordsOneAfterAnotherWaitEverLongerUpToTheCap) {
  LoginSlowdown slowdown;
  Milliseconds now{0};
  std::vector<Milliseconds> waits;
  for (int i = 0; i < 12; ++i) {
    const Milliseconds wait = attempt(slowdown, "10.0.0.9", false, now);
    waits.push_back(wait);
    now += wait;  // the attacker sends the next guess as soon as the answer came
  }
  const std::vector<Milliseconds> expected = {0ms,     0ms,     0ms,     1000ms,  2000ms,  4000ms,
                                              8000ms,  16000ms, 30000ms, 30000ms, 30000ms, 30000ms};
  EXPECT_EQ(waits, expected);
}

TEST(LoginSlowdownTest, GuessesSentTogetherOverManyConnectionsQueueUp) {
  LoginSlowdown slowdown;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(attempt(slowdown, "10.0.0.9", false, 0ms), 0ms);
  std::vector<Milliseconds> waits;
  for (int i = 0; i < 4; ++i) waits.push_back(attempt(slowdown, "10.0.0.9", false, 0ms));
  EXPECT_EQ(waits, (std::vector<Milliseconds>{1000ms, 3000ms, 7000ms, 15000ms}));
}

TEST(LoginSlowdownTest, OtherAddressesAreNeverSlowed) {
  LoginSlowdown slowdown;
  for (int i = 0; i < 8; ++i) attempt(slowdown, "10.0.0.9", false, 0ms);
  EXPECT_EQ(attempt(slowdown, "10.0.0.10", true, 0ms), 0ms);
  EXPECT_EQ(attempt(slowdown, "::1", false, 0ms), 0ms);
  EXPECT_GT(slowdown.admit("10.0.0.9", 0ms), 0ms);
}

TEST(LoginSlowdownTest, TheRightPasswordClearsTheRecordButStillWaitsItsTurn) {
  LoginSlowdown slowdown;
  for (int i = 0; i < 5; ++i) attempt(slowdown, "10.0.0.9", false, 0ms);
  EXPECT_GT(attempt(slowdown, "10.0.0.9", true, 0ms), 0ms);  // no hint from an early answer
  EXPECT_EQ(attempt(slowdown, "10.0.0.9", false, 100000ms), 0ms);
  EXPECT_EQ(slowdown.addresses_on_record(), 1u);
}

TEST(LoginSlowdownTest, RecordsAreForgottenAfterQuietMinutes) {
  LoginSlowdown slowdown;
  for (int i = 0; i < 5; ++i) attempt(slowdown, "10.0.0.9", false, 0ms);
  slowdown.admit("other", LoginSlowdown::kForgetAfter - 1ms);
  EXPECT_EQ(slowdown.addresses_on_record(), 1u);
  slowdown.admit("other", LoginSlowdown::kForgetAfter + 10000ms);
  EXPECT_EQ(slowdown.addresses_on_record(), 0u);
}

TEST(LoginSlowdownTest, TheTableNeverOutgrowsItsLimitAndDropsTheStalestFirst) {
  LoginSlowdown slowdown;
  for (int i = 0; i < 5; ++i) attempt(slowdown, "10.0.0.9", false, 0ms);
  for (std::size_t i = 1; i <= LoginSlowdown::kMaxAddresses; ++i) {
    attempt(slowdown, ("10.1." + std::to_string(i)).c_str(), false, Milliseconds(10000 + i));
  }
  EXPECT_EQ(slowdown.addresses_on_record(), LoginSlowdown::kMaxAddresses);
  EXPECT_EQ(slowdown.admit("10.0.0.9", 20000ms), 0ms);
  EXPECT_EQ(slowdown.admit("10.1.1", 20000ms), 0ms);
  attempt(slowdown, "10.1.1", false, 20000ms);
  attempt(slowdown, "10.1.1", false, 20000ms);
  EXPECT_GT(slowdown.admit("10.1.1", 20000ms), 0ms);  // still on record: it was not the stalest
}

}  // namespace
}  // namespace nut
