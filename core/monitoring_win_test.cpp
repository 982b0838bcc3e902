// The power-failure policy of the running core, end to end: a host drives the exports of the
// loaded library against the simulated UPS on COM1, and the tests read what a host, the tray and
// the event file would see — the capacity and voltage thresholds, a cable pulled during a
// failure, the two holds that keep the host's wait from returning, a cancel before a wait, the
// voltage regulation events, and the turn-offs that shutdown and suspend notices queue.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>
#include <vector>

#include "core/monitor_window_win.h"
#include "core/test_minidriver_fixture_win.h"
#include "link/ups_status.h"

namespace core {
namespace {

using namespace core::testing;

// 11.0 V on the test model's 10.5..13.5 V scale: 16 % left. Above the UPS's own battery-low level
// (10.9 V), so only a threshold can make the battery low; with the wander off and the small load
// the reading stays at 11.0 for well over the length of a test.
constexpr char kOnBatteryAt11Volts[] = "jitter off\nbattery 11.0\nmains off";

// Watches the block as the tray does, and keeps each distinct (battery low, reason) pair that the
// query thread published, with the time it first appeared.
class PublishedCycles {
 public:
  struct Sample {
    DWORD at;
    bool battery_low;
    std::uint32_t reason;
  };

  PublishedCycles(const ipc::UpsSharedBlock* block, DWORD duration_ms) : block_(block), duration_ms_(duration_ms) {
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~PublishedCycles() { join(); }

  const std::vector<Sample>& join() {
    if (thread_) {
      WaitForSingleObject(thread_, INFINITE);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    return changes_;
  }

 private:
  Sample read() const {
    return {GetTickCount(), (block_->status.status_bits & ups_link::STATUS_BATTERY_LOW) != 0, block_->shutdown_reason};
  }
  static bool same(const Sample& a, const Sample& b) { return a.battery_low == b.battery_low && a.reason == b.reason; }

  static DWORD WINAPI run(void* parameter) {
    auto* self = static_cast<PublishedCycles*>(parameter);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < self->duration_ms_) {
      // Two equal reads 5 ms apart: a cycle caught half-written is not a cycle.
      Sample first = self->read();
      Sleep(5);
      Sample second = self->read();
      if (same(first, second) && (self->changes_.empty() || !same(self->changes_.back(), first)))
        self->changes_.push_back(first);
      Sleep(5);
    }
    return 0;
  }

  const ipc::UpsSharedBlock* block_;
  DWORD duration_ms_;
  std::vector<Sample> changes_;
  HANDLE thread_ = nullptr;
};

class Monitoring : public MinidriverHostTest {
 protected:
  static void SetUpTestSuite() { set_up_host("orvik_monitoring"); }

  // On battery below a threshold: the host's wait ends in battery low with the threshold's event,
  // and from then on every cycle flips between battery low (with its reason) and on battery.
  void expect_threshold_cycles(std::uint32_t reason, int event_code, const char* event_text) {
    ASSERT_TRUE(start());
    const std::size_t events_mark = output_->events().size();
    simulator::command(kOnBatteryAt11Volts);
    exports_.wait(UPS_ONLINE, 20000);
    ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);

    PublishedCycles cycles(block_.get(), 6500);
    exports_.wait(UPS_ONBATTERY, 20000);
    EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
    EXPECT_EQ(block_->shutdown_reason, reason);
    const std::string events = since(output_->events(), events_mark);
    EXPECT_TRUE(CoreOutput::has_event(events, event_code, event_text)) << events;
    EXPECT_EQ(events.find("|17|"), std::string::npos) << "the UPS itself never reported battery low";

    // The host goes on waiting with what it saw, as a host with a blocked action would.
    exports_.wait(UPS_LOWBATTERY, 5000);
    EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY);
    EXPECT_EQ(block_->shutdown_reason, 0u);
    exports_.wait(UPS_ONBATTERY, 5000);
    EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
    EXPECT_EQ(block_->shutdown_reason, reason);

    const std::vector<PublishedCycles::Sample>& seen = cycles.join();
    ASSERT_GE(seen.size(), 5u) << "the state flips in every cycle";
    for (std::size_t i = 0; i < seen.size(); ++i) {
      if (seen[i].battery_low) {
        EXPECT_EQ(seen[i].reason, reason) << "cycle " << i;
      } else {
        EXPECT_EQ(seen[i].reason, 0u) << "cycle " << i;
      }
      if (i == 0) continue;
      EXPECT_NE(seen[i].battery_low, seen[i - 1].battery_low) << "cycle " << i;
      const DWORD apart = seen[i].at - seen[i - 1].at;
      EXPECT_GT(apart, 600u) << "cycle " << i << ": one change per polling cycle";
      EXPECT_LT(apart, 1700u) << "cycle " << i << ": no cycle without a change";
    }
    stop();
  }
};

TEST_F(Monitoring, CapacityThresholdMakesEveryOtherCycleBatteryLowAndEndsTheWaitWithEvent21) {
  ConfigOverride config;
  config.set_dword("ShutdownOnCapBatteryEnable", 1);
  config.set_dword("ShutdownOnCapBatteryWait", 20);
  config.set_dword("ShutdownOnUBatteryEnable", 0);
  ASSERT_NO_FATAL_FAILURE(expect_threshold_cycles(1, 21, "Выключение по ёмкости. Текущая:16, Порог:20\n"));
  EXPECT_NE(output_->trace().find("UPS::ShutdownOnCap: cur:16% threshold:20%\n"), std::string::npos);
}

TEST_F(Monitoring, VoltageThresholdMakesEveryOtherCycleBatteryLowAndEndsTheWaitWithEvent22) {
  ConfigOverride config;
  config.set_dword("ShutdownOnCapBatteryEnable", 0);
  config.set_dword("ShutdownOnUBatteryEnable", 1);
  config.set_dword("ShutdownOnUBatteryWait", 112);
  ASSERT_NO_FATAL_FAILURE(
      expect_threshold_cycles(2, 22, "Выключение по напряжению. Текущее:11.0 (В), Порог:11.2 (В)\n"));
  EXPECT_NE(output_->trace().find("UPS::ShutdownOnUBat: cur:110 threshold:112\n"), std::string::npos);
}

TEST_F(Monitoring, CapacityExactlyAtTheThresholdFires) {
  // 12.0 V is exactly 50 % of 10.5..13.5 V, in floats too: "not above" the threshold is enough.
  ConfigOverride config;
  config.set_dword("ShutdownOnCapBatteryEnable", 1);
  config.set_dword("ShutdownOnCapBatteryWait", 50);
  config.set_dword("ShutdownOnUBatteryEnable", 0);
  ASSERT_TRUE(start());
  const std::size_t events_mark = output_->events().size();
  simulator::command("jitter off\nbattery 12.0\nmains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  ASSERT_EQ(block_->capacity, 50.0f);
  exports_.wait(UPS_ONBATTERY, 5000);
  EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_mark), 21,
                                    "Выключение по ёмкости. Текущая:50, Порог:50\n"));
  stop();
}

// Another local user scribbling over the block's derived values while the core runs.
class BlockScribbler {
 public:
  BlockScribbler(ipc::UpsSharedBlock* block, float capacity, std::uint32_t reason)
      : thread_([=, this] {
          const float nan = std::numeric_limits<float>::quiet_NaN();
          for (bool odd = false; !done_; odd = !odd) {
            block->capacity_valid = 1;
            block->capacity = odd && capacity == 0.0f ? nan : capacity;
            block->status.battery_voltage = capacity == 0.0f ? 0.0f : 14.0f;
            block->shutdown_reason = reason;
            Sleep(2);
          }
        }) {}
  ~BlockScribbler() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST_F(Monitoring, ThresholdsAreDecidedFromTheCoresOwnValuesNotFromTheBlock) {
  ConfigOverride config;
  config.set_dword("ShutdownOnCapBatteryEnable", 1);
  config.set_dword("ShutdownOnCapBatteryWait", 20);
  config.set_dword("ShutdownOnUBatteryEnable", 1);
  config.set_dword("ShutdownOnUBatteryWait", 105);
  ASSERT_TRUE(start());
  std::size_t events_mark = output_->events().size();
  simulator::command("jitter off\nbattery 12.0\nmains off");  // 50 %, above both thresholds
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  {
    BlockScribbler zero_and_nan(block_.get(), 0.0f, 1);
    exports_.wait(UPS_ONBATTERY, 4000);  // four cycles
    EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY) << "0 and NaN in the block caused no critical point";
  }
  std::string events = since(output_->events(), events_mark);
  EXPECT_EQ(events.find("|21|"), std::string::npos) << events;
  EXPECT_EQ(events.find("|22|"), std::string::npos) << events;

  events_mark = output_->events().size();
  simulator::command("battery 11.0");  // 16 %, below the capacity threshold
  {
    BlockScribbler full(block_.get(), 100.0f, 0);
    exports_.wait(UPS_ONBATTERY, 10000);
    EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY) << "100 in the block suppressed nothing";
  }
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_mark), 21,
                                    "Выключение по ёмкости. Текущая:16, Порог:20\n"))
      << since(output_->events(), events_mark);
  stop();
}

TEST_F(Monitoring, CablePulledDuringAFailureCountsAsMainsBackThenAsNoLink) {
  ASSERT_TRUE(start());
  simulator::command("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  const float battery_before = block_->status.battery_voltage;

  std::size_t events_mark = output_->events().size();
  simulator::command("silence on");
  exports_.wait(UPS_ONBATTERY, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_ONLINE) << "a host on battery must not act on a lost link";
  std::string events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 4, "Питание восстановлено\n")) << events;
  EXPECT_FALSE(CoreOutput::has_event(events, 6, "Нет связи с ИБП\n")) << events;
  EXPECT_EQ(block_->link_ok, 0);
  EXPECT_NE(block_->status.status_bits & ups_link::STATUS_UTILITY_FAIL, 0u) << "the last values stay published";
  EXPECT_NEAR(block_->status.battery_voltage, battery_before, 0.3f);

  events_mark = output_->events().size();
  exports_.wait(UPS_ONLINE, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_NOCOMM);
  events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 6, "Нет связи с ИБП\n")) << events;

  events_mark = output_->events().size();
  simulator::command("silence off");
  exports_.wait(UPS_NOCOMM, 20000);
  EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY);
  events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 3, "Связь с ИБП восстановлена\n")) << events;
  stop();
}

TEST_F(Monitoring, ActionBlockedHoldsTheWaitUntilCancelledClearedOrTheUpsSaysBatteryLow) {
  ASSERT_TRUE(start());
  block_->action_blocked = 1;  // as the tray menu sets it
  simulator::command("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY) << "the first news of a failure is never held";
  const std::size_t trace_mark = output_->trace().size();

  {
    WaitingHost host(exports_, UPS_ONBATTERY, 2000);
    EXPECT_FALSE(host.returns_within(6000)) << "the time limit does not end a blocked action";
    EXPECT_NE(since(output_->trace(), trace_mark).find("UPS::BLOCK SHUTDOWN\n"), std::string::npos);
    exports_.cancel_wait();
    EXPECT_TRUE(host.returns_within(1500));
  }
  {
    WaitingHost host(exports_, UPS_ONBATTERY, 1000);
    EXPECT_FALSE(host.returns_within(3000));
    block_->action_blocked = 0;
    EXPECT_TRUE(host.returns_within(1500)) << "clearing the switch releases the host";
    EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY);
  }
  block_->action_blocked = 1;
  {
    WaitingHost host(exports_, UPS_ONBATTERY, 1000);
    EXPECT_FALSE(host.returns_within(3000));
    simulator::command("lowbat on");
    EXPECT_TRUE(host.returns_within(4000)) << "the UPS's own battery low ends the hold";
    EXPECT_EQ(exports_.get_state(), UPS_LOWBATTERY);
  }
  stop();
}

TEST_F(Monitoring, WaitBeforeActionHoldsTheWaitForItsSecondsUnlessCancelledOrMainsReturns) {
  ConfigOverride config;
  config.set_dword("WaitBAEnable", 1);
  config.set_dword("WaitBAWait", 5);
  ASSERT_TRUE(start());
  simulator::command("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  const std::size_t trace_mark = output_->trace().size();

  {
    WaitingHost host(exports_, UPS_ONBATTERY, 1000);
    EXPECT_FALSE(host.returns_within(5500)) << "held past the limit for the five seconds";
    EXPECT_TRUE(host.returns_within(4000));
    EXPECT_GE(host.elapsed_ms(), 1000u + 5000u);
    EXPECT_EQ(exports_.get_state(), UPS_ONBATTERY);
    EXPECT_NE(since(output_->trace(), trace_mark).find("UPS::WAIT 1 5\n"), std::string::npos);
  }
  {
    WaitingHost host(exports_, UPS_ONBATTERY, 1000);
    EXPECT_FALSE(host.returns_within(3000));
    exports_.cancel_wait();
    EXPECT_TRUE(host.returns_within(1000));
  }
  {
    WaitingHost host(exports_, UPS_ONBATTERY, 1000);
    EXPECT_FALSE(host.returns_within(2500));
    simulator::command("mains on");
    EXPECT_TRUE(host.returns_within(3000)) << "mains back ends the hold";
    EXPECT_EQ(exports_.get_state(), UPS_ONLINE);
  }
  stop();
}

TEST_F(Monitoring, CancelWithNoWaitInProgressEndsOnlyTheNextWaitAtItsFirstWake) {
  ASSERT_TRUE(start());
  const std::size_t trace_mark = output_->trace().size();
  exports_.cancel_wait();
  DWORD started = GetTickCount();
  exports_.wait(UPS_ONLINE, 2000);
  EXPECT_GE(GetTickCount() - started, 1900u) << "the cancel came before the wait: its pulse is gone";
  EXPECT_EQ(since(output_->trace(), trace_mark).find("UPS::UPSWaitForStateChange END"), std::string::npos)
      << "a cancelled wait ends without its END line";

  started = GetTickCount();
  exports_.wait(UPS_ONLINE, 1500);
  EXPECT_GE(GetTickCount() - started, 1400u);
  EXPECT_NE(since(output_->trace(), trace_mark).find("UPS::UPSWaitForStateChange END = 1\n"), std::string::npos)
      << "the cancel was used up by the first wait";
  stop();
}

TEST_F(Monitoring, VoltageRegulationIsLoggedWhenItStartsAndWhenItEnds) {
  ASSERT_TRUE(start());
  const std::size_t events_mark = output_->events().size();
  simulator::command("input 190");  // low mains: the UPS boosts it
  EXPECT_TRUE(eventually([&] { return (block_->status.status_bits & ups_link::STATUS_AVR) != 0; }, 4000));
  simulator::command("input 230");
  EXPECT_TRUE(eventually([&] { return (block_->status.status_bits & ups_link::STATUS_AVR) == 0; }, 4000));
  Sleep(1500);
  const std::string events = since(output_->events(), events_mark);
  EXPECT_EQ(simulator::count(events, "|19|" + stats::utf8_to_windows1251("AVR вкл\n")), 1u) << events;
  EXPECT_EQ(simulator::count(events, "|20|" + stats::utf8_to_windows1251("AVR выкл\n")), 1u) << events;
  EXPECT_EQ(exports_.get_state(), UPS_ONLINE) << "regulation is not a failure";
  stop();
}

// The service host forwards its shutdown control to the hidden window as an end-of-session
// message, and the system sends the suspend broadcast there: both queue the turn-off for the query
// thread, which alone talks to the UPS. On mains the UPS must stay off; on battery it comes back.
TEST_F(Monitoring, ShutdownAndSuspendNoticesQueueATurnOffThatThePollingSends) {
  ConfigOverride config;
  config.set_dword("TurnUPSOffEnable2", 1);
  config.set_dword("TurnUPSOffWait", 30);
  config.set_dword("TurnUPSOnEnable", 1);
  config.set_dword("TurnUPSOnWait", 2);
  ASSERT_TRUE(start());
  HWND window = FindWindowA(kMonitorWindowClass, kMonitorWindowTitle);
  ASSERT_NE(window, nullptr);

  std::size_t mark = simulator::received().size();
  std::size_t events_mark = output_->events().size();
  SendMessageA(window, WM_ENDSESSION, TRUE, 0);  // returns once the query thread took the request
  EXPECT_EQ(simulator::commands_since(mark), "S.5R0000\r");
  std::string events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 12, "Ручное выключение зафиксированно (0)\n")) << events;
  EXPECT_TRUE(CoreOutput::has_event(events, 13, "Активирую выключение ИБП через 30 сек\n")) << events;
  EXPECT_TRUE(eventually([] { return simulator::state("shutdown_pending") == "yes"; }, 2000));
  SendMessageA(window, WM_ENDSESSION, TRUE, 0);
  Sleep(1500);
  EXPECT_EQ(simulator::commands_since(mark), "S.5R0000\r") << "one end of session per run";

  simulator::command("mains off");
  exports_.wait(UPS_ONLINE, 20000);
  ASSERT_EQ(exports_.get_state(), UPS_ONBATTERY);
  mark = simulator::received().size();
  events_mark = output_->events().size();
  constexpr WPARAM kSuspend = 4, kResume = 7;
  SendMessageA(window, WM_POWERBROADCAST, kSuspend, 0);
  EXPECT_EQ(simulator::commands_since(mark), "S.5R0002\r");
  SendMessageA(window, WM_POWERBROADCAST, kResume, 0);
  events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 9, "Ручной переход в спящий режим зафиксирован (0)\n")) << events;
  EXPECT_TRUE(CoreOutput::has_event(events, 10, "Активирую выключение ИБП через 30 сек\n")) << events;
  EXPECT_TRUE(CoreOutput::has_event(events, 18, "Выход из спящего режима зафиксирован\n")) << events;
  stop();
}

}  // namespace
}  // namespace core
