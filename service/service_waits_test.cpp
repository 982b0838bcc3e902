#include "service/service_waits.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace service {
namespace {

// A manager that answers the queries from a script, on a clock that only sleeps move.
class ScriptedManager : public ServicePort {
 public:
  bool query(ServiceProgress& progress, std::uint32_t& error) override {
    ++queries;
    if (fail_query_at == queries) {
      error = 6;
      return false;
    }
    if (script.size() > 1) {
      progress = script.front();
      script.pop_front();
    } else {
      progress = script.front();
    }
    return true;
  }
  bool send_stop(std::uint32_t& error) override {
    ++stops;
    error = stop_error;
    return stop_error == 0;
  }
  void sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  std::uint32_t tick_count() override { return now; }

  std::deque<ServiceProgress> script;
  std::vector<std::uint32_t> sleeps;
  int queries = 0;
  int fail_query_at = 0;
  int stops = 0;
  std::uint32_t stop_error = 0;
  std::uint32_t now = 0xFFFFF000;  // close to the wrap of the tick count
};

ServiceProgress status(std::uint32_t state, std::uint32_t wait_hint = 0, std::uint32_t check_point = 0) {
  ServiceProgress p;
  p.state = state;
  p.wait_hint = wait_hint;
  p.check_point = check_point;
  return p;
}

TEST(StopService, AStoppedServiceNeedsNoControl) {
  ScriptedManager manager;
  manager.script = {status(kServiceStopped)};
  EXPECT_EQ(stop_service(manager), 0u);
  EXPECT_EQ(manager.stops, 0);
}

TEST(StopService, ARunningServiceIsStoppedAndWaitedFor) {
  ScriptedManager manager;
  manager.script = {status(kServiceRunning), status(kServiceStopPending, 2000), status(kServiceStopPending, 2000),
                    status(kServiceStopped)};
  EXPECT_EQ(stop_service(manager), 0u);
  EXPECT_EQ(manager.stops, 1);
  EXPECT_EQ(manager.sleeps, (std::vector<std::uint32_t>{100, 2000, 2000})) << "a hint of 0 must not spin";
}

TEST(StopService, AStopAlreadyUnderWayIsWaitedOutWithoutASecondControl) {
  ScriptedManager manager;
  manager.script = {status(kServiceStopPending, 500), status(kServiceStopPending, 500), status(kServiceStopped)};
  EXPECT_EQ(stop_service(manager), 0u);
  EXPECT_EQ(manager.stops, 0);
}

TEST(StopService, GivesUpAfterThirtySecondsEvenWhenTheServiceAsksForMore) {
  ScriptedManager manager;
  manager.script = {status(kServiceRunning), status(kServiceStopPending, 3000)};
  EXPECT_EQ(stop_service(manager), kErrorTimeout);
  EXPECT_GT(manager.now - 0xFFFFF000u, kStopLimitMs);
  EXPECT_LE(manager.now - 0xFFFFF000u, kStopLimitMs + 3000);

  ScriptedManager greedy;
  greedy.script = {status(kServiceStopPending, 0xFFFFFFFF)};
  EXPECT_EQ(stop_service(greedy), kErrorTimeout);
  EXPECT_EQ(greedy.now - 0xFFFFF000u, kStopLimitMs + 1) << "a huge hint is cut to the time the limit leaves";
}

TEST(StopService, FailuresReturnTheSystemsErrorButAServiceThatEndedMeanwhileIsStopped) {
  ScriptedManager manager;
  manager.script = {status(kServiceRunning)};
  manager.stop_error = 1052;
  EXPECT_EQ(stop_service(manager), 1052u);

  manager.stop_error = kErrorServiceNotActive;
  EXPECT_EQ(stop_service(manager), 0u);

  ScriptedManager failing;
  failing.script = {status(kServiceRunning), status(kServiceStopPending, 1000)};
  failing.fail_query_at = 3;
  EXPECT_EQ(stop_service(failing), 6u);
}

TEST(StartWait, PollsATenthOfTheHintWithinOneToTenSeconds) {
  EXPECT_EQ(start_poll_interval(0), 1000u);
  EXPECT_EQ(start_poll_interval(10000), 1000u);
  EXPECT_EQ(start_poll_interval(30000), 3000u);
  EXPECT_EQ(start_poll_interval(0xFFFFFFFF), 10000u);
}

TEST(StartWait, WaitsWhileTheCheckPointGrowsAndGivesUpWhenItStalls) {
  ScriptedManager manager;
  manager.script = {status(kServiceStartPending, 3000, 1), status(kServiceStartPending, 3000, 2),
                    status(kServiceStartPending, 3000, 2)};
  ServiceProgress last = status(kServiceStartPending, 3000, 0);
  wait_while_starting(manager, last);
  EXPECT_EQ(last.state, kServiceStartPending);
  // Two progressing answers, then stalled ones until more than the hint passed since the last.
  EXPECT_EQ(manager.queries, 2 + 4);

  ScriptedManager starting;
  starting.script = {status(kServiceStartPending, 10000), status(kServiceRunning)};
  last = status(kServiceStartPending, 10000);
  wait_while_starting(starting, last);
  EXPECT_EQ(last.state, kServiceRunning);
  EXPECT_EQ(starting.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
}

TEST(StartWait, AFailedQueryEndsTheWaitWithTheLastStatus) {
  ScriptedManager manager;
  manager.script = {status(kServiceRunning)};
  manager.fail_query_at = 1;
  ServiceProgress last = status(kServiceStartPending, 10000);
  wait_while_starting(manager, last);
  EXPECT_EQ(last.state, kServiceStartPending);
  EXPECT_EQ(manager.queries, 1);
}

}  // namespace
}  // namespace service
