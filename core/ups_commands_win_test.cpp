// The commands the running core sends to the UPS on the tray's behalf, end to end: a host drives
// the exports of the loaded library, the tray's part is played through the pipe and the shared
// block, and the tests compare what the simulated UPS received, byte for byte, and what it then
// did — battery tests, the beeper and its time window, the cancel after a standby.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/test_minidriver_fixture_win.h"
#include "ipc/pipe_client_win.h"
#include "ipc/settings_message.h"
#include "link/ups_status.h"

namespace core {
namespace {

using namespace core::testing;

int minutes_now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now.wHour * 60 + now.wMinute;
}

int minute_of_day(int minutes) { return ((minutes % 1440) + 1440) % 1440; }

std::string signal_time(int start, int end) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%d-%d:%d", start / 60, start % 60, end / 60, end % 60);
  return text;
}

class UpsCommands : public MinidriverHostTest {
 protected:
  static void SetUpTestSuite() { set_up_host("orvik_ups_commands"); }

  void TearDown() override {
    tray_.disconnect();
    MinidriverHostTest::TearDown();
  }

  // The tray's end of the pipe, connected as the tray connects once the service runs.
  bool connect_tray() { return tray_.connect(); }
  bool send(const ipc::PipeMessage& message) { return tray_.write(message); }

  // The settings as the tray's pages send them: everything at the installation's values except
  // the beeper's.
  static ipc::PipeMessage beeper_settings(bool enable, bool window, int start, int end) {
    ipc::SettingsRecord record;
    record.signal_enable = enable ? 1 : 0;
    record.signal_time_enable = window ? 1 : 0;
    record.signal_window_start = start;
    record.signal_window_end = end;
    return ipc::to_message(record);
  }

  bool link_state_is(bool up) {
    return eventually([&] { return (block_->link_ok != 0) == up; }, 5000);
  }

  ipc::PipeClient tray_;
};

TEST_F(UpsCommands, BatteryTestsRequestedOverThePipeReachTheUpsByteForByte) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(connect_tray());
  const std::size_t mark = simulator::received().size();
  std::string expected;
  // Each request, the bytes it must add, and the test the UPS then runs.
  auto request = [&](const ipc::PipeMessage& message, const char* bytes, const char* test) {
    expected += bytes;
    ASSERT_TRUE(send(message));
    EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == expected; }, 5000))
        << "sent: " << simulator::commands_since(mark);
    EXPECT_TRUE(eventually([&] { return simulator::state("test") == test; }, 3000)) << bytes;
  };

  request(ipc::make_pipe_message(ipc::MSG_TEST_SHORT), "T\r", "timed");
  EXPECT_TRUE(eventually([&] { return (block_->status.status_bits & ups_link::STATUS_TEST) != 0; }, 4000))
      << "the test bit of the UPS is published";
  request(ipc::make_pipe_message(ipc::MSG_TEST_CANCEL), "CT\r", "none");
  request(ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, 5), "T05\r", "timed");
  request(ipc::make_pipe_message(ipc::MSG_TEST_CANCEL), "CT\r", "none");
  request(ipc::make_pipe_message(ipc::MSG_TEST_UNTIL_LOW), "TL\r", "until_low");
  request(ipc::make_pipe_message(ipc::MSG_TEST_CANCEL), "CT\r", "none");
  request(ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, 150), "T99\r", "timed");
  request(ipc::make_pipe_message(ipc::MSG_TEST_CANCEL), "CT\r", "none");
  stop();
}

TEST_F(UpsCommands, BatteryTestRequestedWhileTheLinkIsLostIsDropped) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(connect_tray());
  ASSERT_TRUE(link_state_is(true)) << "the first cycle was published";
  simulator::command("silence on");
  ASSERT_TRUE(link_state_is(false));
  const std::size_t mark = simulator::received().size();
  const std::size_t trace_mark = output_->trace().size();

  ASSERT_TRUE(send(ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, 5)));
  EXPECT_TRUE(eventually([&] { return since(output_->trace(), trace_mark).find("UPS::Msg size:12 cmd:9\n") !=
                                      std::string::npos; },
                         4000))
      << "the service took the request";
  simulator::command("silence off");
  ASSERT_TRUE(link_state_is(true));
  Sleep(2500);  // two answered cycles: a dropped request is not sent late either
  EXPECT_EQ(simulator::commands_since(mark), "");
  EXPECT_EQ(simulator::state("test"), "none");
  stop();
}

TEST_F(UpsCommands, BeeperFollowsTheSettingsAndItsTimeWindow) {
  const int now = minutes_now();
  // Windows ten minutes wide of the present minute: the test is over long before either edge.
  const int around_now_start = minute_of_day(now - 10), around_now_end = minute_of_day(now + 10);
  const int later_start = minute_of_day(now + 10), later_end = minute_of_day(now + 20);
  ConfigOverride config;
  config.set_dword("SignalEnable", 1);
  config.set_dword("SignalTimeEnable", 1);
  config.set_string("SignalTime", signal_time(around_now_start, around_now_end).c_str());
  simulator::command("beeper off");

  std::size_t mark = simulator::received().size();
  ASSERT_TRUE(start());
  EXPECT_TRUE(eventually([] { return simulator::state("beeper") == "on"; }, 2000)) << "switched on at start-up";
  EXPECT_EQ(simulator::count(simulator::commands_since(mark), "Q\r"), 1u);

  ASSERT_TRUE(connect_tray());
  // Each change, and whether the beeper must then be on; every change of the wish costs exactly
  // one toggle, and a beeper that agrees is left alone.
  auto expect_toggle_to = [&](const char* beeper, const char* why) {
    const std::size_t step_mark = simulator::received().size();
    EXPECT_TRUE(eventually([&] { return simulator::state("beeper") == beeper; }, 5000)) << why;
    Sleep(1500);  // the next cycle has answered: a wrong second toggle would be out by now
    EXPECT_EQ(simulator::count(simulator::commands_since(step_mark), "Q\r"), 1u) << why;
    EXPECT_EQ(simulator::commands_since(step_mark), "Q\r") << why;
    EXPECT_EQ(simulator::state("beeper"), beeper) << why;
  };
  ASSERT_TRUE(send(beeper_settings(true, true, later_start, later_end)));
  expect_toggle_to("off", "outside its window");
  simulator::command("beeper on");
  expect_toggle_to("off", "switched on at the front panel, switched back");
  ASSERT_TRUE(send(beeper_settings(true, false, later_start, later_end)));
  expect_toggle_to("on", "window disabled: the whole day");
  ASSERT_TRUE(send(beeper_settings(true, true, around_now_end, around_now_start)));
  expect_toggle_to("off", "start after end: the window around the present, reversed, leaves it out");
  ASSERT_TRUE(send(beeper_settings(true, true, later_end, later_start)));
  expect_toggle_to("on", "start after end: the later window, reversed, holds the present");
  ASSERT_TRUE(send(beeper_settings(false, false, 0, 0)));
  expect_toggle_to("off", "beeper not wanted");
  stop();
}

TEST_F(UpsCommands, StandbyRequestedThroughTheBlockCancelsATurnOffInTheFirstAnsweredCycle) {
  std::size_t mark = simulator::received().size();
  ASSERT_TRUE(start());
  EXPECT_EQ(simulator::count(simulator::commands_since(mark), "C\r"), 1u) << "start-up cancels a pending turn-off";

  // Standby returns at once under Wine, as if the machine had woken straight away.
  mark = simulator::received().size();
  std::size_t events_mark = output_->events().size();
  block_->action_request = 4;
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == "C\r"; }, 4000))
      << simulator::commands_since(mark);
  EXPECT_EQ(block_->action_request, 0u) << "the request is taken";
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_mark), 24, "Командное выключение (4)\n"));
  Sleep(2500);
  EXPECT_EQ(simulator::commands_since(mark), "C\r") << "once only";

  // Hibernation with the UPS left on, while the UPS does not answer: the cancel waits for the
  // first cycle that gets an answer. (Under Wine the hibernation call returns at once, too.)
  simulator::command("silence on");
  ASSERT_TRUE(link_state_is(false));
  mark = simulator::received().size();
  events_mark = output_->events().size();
  block_->action_request = 6;
  EXPECT_TRUE(eventually([&] { return block_->action_request == 0; }, 3000));
  Sleep(2500);
  EXPECT_EQ(simulator::commands_since(mark), "");
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_mark), 26, "Командное выключение (6)\n"));
  simulator::command("silence off");
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == "C\r"; }, 4000))
      << simulator::commands_since(mark);
  EXPECT_NE(output_->trace().find(" UPS::force reset shutdown UPS...isResetShutdownNeeded=1"), std::string::npos);
  stop();
}

// Any local process can write the block's request and any administrator's tray the pipe: a code
// outside the six actions gets a debug line and nothing else, above all no turn-off.
TEST_F(UpsCommands, UnknownPowerActionCodesFromTheBlockOrThePipeAreOnlyTraced) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(connect_tray());
  const std::size_t events_mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t mark = simulator::received().size();
  block_->action_request = 99;
  ASSERT_TRUE(send(ipc::make_pipe_message(ipc::MSG_POWER_ACTION, 99)));
  EXPECT_TRUE(eventually([&] {
    const std::string trace = since(output_->trace(), trace_mark);
    return trace.find("UPS::power action 98 ignored\n") != std::string::npos &&
           trace.find("UPS::power action 99 ignored\n") != std::string::npos;
  }, 5000)) << since(output_->trace(), trace_mark);
  EXPECT_EQ(block_->action_request, 0u) << "taken from the block all the same";
  Sleep(1500);  // a turn-off would go out in the next cycle
  EXPECT_EQ(since(output_->events(), events_mark), "");
  EXPECT_EQ(simulator::commands_since(mark), "");
  stop();
}

// In test mode even a shutdown may be requested under Wine: the rehearsal writes it down. The
// harmless standby goes first, so a rehearsal that failed to install stops the test before the
// shutdown could end the prefix's session.
TEST_F(UpsCommands, PowerActionsInTestModeAreWrittenDownInsteadOfDone) {
  platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath);
  platform::write_dword_value(config.get(), "PowerActionTestMode", 1);
  ASSERT_TRUE(start());

  std::size_t events_mark = output_->events().size();
  block_->action_request = 4;
  ASSERT_TRUE(eventually([&] { return CoreOutput::has_event(since(output_->events(), events_mark), 30,
      "Проверочный режим: ждущий режим не выполнено (флаги 0x2, причина 0x00000000)\n"); }, 4000))
      << output_->events();

  events_mark = output_->events().size();
  block_->action_request = 5;
  EXPECT_TRUE(eventually([&] { return block_->action_request == 0; }, 3000));
  // Shutdown and force, with power-off when the machine can switch itself off; planned, system.
  auto rehearsed_shutdown = [&] {
    std::string lines = since(output_->events(), events_mark);
    return CoreOutput::has_event(lines, 25, "Командное выключение (5)\n") &&
           (CoreOutput::has_event(lines, 30, "Проверочный режим: выключение с отключением питания не выполнено "
                                             "(флаги 0xD, причина 0x800500FF)\n") ||
            CoreOutput::has_event(lines, 30, "Проверочный режим: выключение не выполнено (флаги 0x5, причина 0x800500FF)\n"));
  };
  EXPECT_TRUE(eventually(rehearsed_shutdown, 4000)) << output_->events();
  EXPECT_NE(output_->trace().find("UPS::test mode: ExitWindowsEx("), std::string::npos);
  stop();
  platform::write_dword_value(config.get(), "PowerActionTestMode", 0);
}

}  // namespace
}  // namespace core
