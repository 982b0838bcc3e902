#include "nut/departure_wait.h"

#include <gtest/gtest.h>

#include <functional>

namespace nut {
namespace {

using namespace std::chrono_literals;

// A clock that moves only when the wait pauses; the count follows a script of the time.
class ScriptedWatch final : public DepartureWatch {
 public:
  explicit ScriptedWatch(std::function<std::size_t(Milliseconds)> count) : count_(std::move(count)) {}
  std::size_t logged_in() override { return count_(now_); }
  void tell() override { ++told; }
  Milliseconds now() override { return now_; }
  void pause(Milliseconds length) override {
    EXPECT_GT(length, 0ms);
    EXPECT_LE(length, kDepartureCheckInterval);
    now_ += length;
    ++pauses;
  }
  int pauses = 0;
  int told = 0;

 private:
  std::function<std::size_t(Milliseconds)> count_;
  Milliseconds now_{5000};
};

TEST(DepartureWait, EndsWhenTheLastClientHasGoneOrAtTheLimitWhicheverComesFirst) {
  const struct {
    const char* what;
    std::function<std::size_t(std::chrono::milliseconds)> count;
    std::chrono::milliseconds limit;
    Departures expected;
  } cases[] = {
      {"nobody logged in: no wait", [](auto) { return 0u; }, 15s, {0, 0, 0ms}},
      {"both leave after 2.3 s", [](auto t) { return t < 7300ms ? 2u : 0u; }, 15s, {2, 2, 2300ms}},
      {"one stays: the full limit", [](auto t) { return t < 6000ms ? 2u : 1u; }, 15s, {2, 1, 15000ms}},
      {"a server that never answers again", [](auto) { return 3u; }, 4s, {3, 0, 4000ms}},
      {"HostSync 0", [](auto) { return 1u; }, 0s, {1, 0, 0ms}},
      {"a limit that is no whole number of checks", [](auto) { return 1u; }, 250ms, {1, 0, 250ms}},
  };
  for (const auto& c : cases) {
    ScriptedWatch watch(c.count);
    const Departures got = wait_for_departures(watch, c.limit);
    EXPECT_EQ(watch.told, 1) << c.what;
    EXPECT_EQ(got.told, c.expected.told) << c.what;
    EXPECT_EQ(got.gone, c.expected.gone) << c.what;
    EXPECT_EQ(got.waited, c.expected.waited) << c.what;
  }
}

// A client may leave the moment it sees FSD: it was told all the same.
TEST(DepartureWait, TheClientsAreCountedBeforeTheyAreTold) {
  bool told = false;
  struct TellingWatch final : DepartureWatch {
    explicit TellingWatch(bool& flag) : told(flag) {}
    std::size_t logged_in() override { return told ? 0 : 2; }
    void tell() override { told = true; }
    Milliseconds now() override { return Milliseconds{0}; }
    void pause(Milliseconds) override { ADD_FAILURE() << "nobody is left to wait for"; }
    bool& told;
  } watch(told);
  const Departures got = wait_for_departures(watch, 15s);
  EXPECT_TRUE(told);
  EXPECT_EQ(got.told, 2u);
  EXPECT_EQ(got.gone, 2u);
}

TEST(DepartureWait, ClientsArrivingDuringTheWaitAreWaitedForButNeverCountedAsGone) {
  ScriptedWatch watch([](auto t) { return t < 6000ms ? 1u : (t < 8000ms ? 3u : 0u); });
  const Departures got = wait_for_departures(watch, 15s);
  EXPECT_EQ(got.told, 1u);
  EXPECT_EQ(got.gone, 1u);
  EXPECT_EQ(got.waited, 3000ms);
}

}  // namespace
}  // namespace nut
