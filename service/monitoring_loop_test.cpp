#include "service/monitoring_loop.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/power_action_rehearsal.h"
#include "platform/test_trace_capture.h"
#include "service/test_monitoring_fakes.h"

namespace service {
namespace {

using core::UPS_INITCOMMOPENERROR;
using core::UPS_LOWBATTERY;
using core::UPS_NOCOMM;
using core::UPS_ONBATTERY;
using core::UPS_ONLINE;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

constexpr char kEvent14No[] = "event 14 Сбой питания. Действие. Батарея разряжена или порог по емкости:нет\n";
constexpr char kEvent14Yes[] = "event 14 Сбой питания. Действие. Батарея разряжена или порог по емкости:да\n";
constexpr char kEvent15Shutdown[] = "event 15 Сбой питания. Действие выключение\n\n";
constexpr char kEvent15Hibernate[] = "event 15 Сбой питания. Действие спящий режим\n\n";
constexpr char kLibraryNotLoaded[] =
    "reported 41 Служба ИБП не запущена: библиотека orvik_dll.dll не загружается (ошибка 126)\n";

class MonitoringLoopTest : public ::testing::Test {
 protected:
  void run() { loop.run(); }

  // Test mode as the service sets it: the rehearsal's lines written through the loaded library.
  void rehearse_through_the_library() {
    static testing::ScriptedLibrary* writer_library = nullptr;
    writer_library = &library;
    host.on_test_mode = [](bool on) {
      core::set_power_action_test_mode(on, [](int code, const char* text) {
        writer_library->record_event(static_cast<std::uint32_t>(code), text);
      });
    };
  }

  testing::Journal journal;
  testing::ScriptedLibrary library{journal};
  testing::MemoryHost host{journal};
  testing::JournaledSideEffects effects{journal};
  MonitoringLoop loop{library, host};
};

TEST_F(MonitoringLoopTest, NoUpsConfiguredStopsWithCode10BeforeTheLibraryIsLoaded) {
  host.strings["Vendor"] = "";
  run();
  EXPECT_THAT(journal, ElementsAre("stopped 1066 10"));

  journal.clear();
  host.strings = {{"Vendor", "Orvik"}};
  run();
  EXPECT_THAT(journal, ElementsAre("stopped 1066 10"));
}

TEST_F(MonitoringLoopTest, AFailedStartIsReportedAsAFailureWithUpsInitsResult) {
  platform::TraceCapture trace;
  library.init_result = UPS_INITCOMMOPENERROR;
  run();
  EXPECT_THAT(journal, ElementsAre("load", "bind", "init", "stopped 1066 5"));
  EXPECT_TRUE(trace.contains("UPSInit error 5\n"));

  journal.clear();
  library.init_result = core::UPS_INITUNKNOWNERROR;
  run();
  EXPECT_EQ(journal.back(), "stopped 1066 0") << "a result of 0 must not look like success";
}

TEST_F(MonitoringLoopTest, MissingPiecesStopTheServiceWithTheirErrorBeforeMonitoringStarts) {
  host.config_exists = false;
  run();
  EXPECT_THAT(journal, ElementsAre("stopped 2 0"));

  journal.clear();
  host.config_exists = true;
  library.load_results = {false};
  {
    platform::TraceCapture trace;
    run();
    EXPECT_EQ(trace.joined(), "Error load dll\n");
  }
  EXPECT_THAT(journal, ElementsAre("load", kLibraryNotLoaded,
                                   "stopped 126 0"));

  journal.clear();
  library.bind_result = false;
  run();
  EXPECT_THAT(journal,
              ElementsAre("load", "bind",
                          "reported 41 Служба ИБП не запущена: в библиотеке orvik_dll.dll нет нужных функций\n",
                          "stopped 127 0"));

  library.bind_result = true;
  for (const char* setting : {"CriticalPowerAction", "TurnUPSOffEnable", "TurnUPSOffWait", "ShutdownOnBatteryEnable",
                              "ShutdownOnBatteryWait"}) {
    testing::MemoryHost without{journal};
    without.dwords.erase(setting);
    journal.clear();
    MonitoringLoop(library, without).run();
    EXPECT_THAT(journal, ElementsAre("load", "bind", "stopped 2 0")) << setting;
  }
}

TEST(StateWaitLimit, OnlyOnBatteryWithTheSettingEnabledIsTheWaitLimited) {
  MonitoringSettings settings;
  settings.shutdown_on_battery_enable = 1;
  settings.shutdown_on_battery_wait = 3;
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), 180000u);
  for (std::uint32_t state : {UPS_ONLINE, UPS_LOWBATTERY, UPS_NOCOMM, 0u})
    EXPECT_EQ(state_wait_limit(settings, state), kNoTimeLimit) << state;
  settings.shutdown_on_battery_wait = 0;
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), 0u) << "zero minutes: act at the next look";
  settings.shutdown_on_battery_enable = 0;
  settings.shutdown_on_battery_wait = 3;
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), kNoTimeLimit);
}

TEST(StateWaitLimit, HugeWaitsSaturateInsteadOfWrappingToAShortLimit) {
  MonitoringSettings settings;
  settings.shutdown_on_battery_enable = 1;
  settings.shutdown_on_battery_wait = 71583;  // 71583 * 60000 = 4294980000: past 32 bits
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), 0xFFFFFFFEu);
  settings.shutdown_on_battery_wait = 0xFFFFFFFF;
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), 0xFFFFFFFEu);
  settings.shutdown_on_battery_wait = 71582;
  EXPECT_EQ(state_wait_limit(settings, UPS_ONBATTERY), 71582u * 60000u);
}

TEST_F(MonitoringLoopTest, StillOnBatteryAfterTheLimitedWaitTurnsTheUpsOffAndShutsDown) {
  library.states = {UPS_ONLINE, UPS_ONBATTERY, UPS_ONBATTERY};
  run();
  EXPECT_THAT(journal, ElementsAre("load", "bind", "init", "running",                    //
                                   "state 1", "wait 1 4294967295",                       //
                                   "state 2", "wait 2 120000",                           //
                                   "state 2", "clients first", "test mode off", kEvent14No, "hold session", "turn off 120",
                                   "stop", kEvent15Shutdown, "privilege", "exit windows 0xD 0x8006000A",  //
                                   "end session", "unload", "stopped 0 0"));
}

TEST_F(MonitoringLoopTest, BatteryLowIsTheCriticalPointAtOnce) {
  library.states = {UPS_ONLINE, UPS_LOWBATTERY};
  run();
  EXPECT_THAT(journal, Contains(kEvent14Yes));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("wait 4"))));
  EXPECT_THAT(journal, Contains("exit windows 0xD 0x8006000A"));
}

TEST_F(MonitoringLoopTest, AChangeInBetweenRestartsTheCountAndALostLinkIsNoFailure) {
  library.states = {UPS_ONBATTERY, UPS_ONLINE, UPS_ONBATTERY, UPS_NOCOMM, UPS_ONBATTERY, UPS_ONBATTERY};
  run();
  EXPECT_THAT(journal, IsSupersetOf({"wait 2 120000", "wait 1 4294967295", "wait 8 4294967295"}));
  // Three waits on battery: the first two ended by a change, the third ran out.
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "wait 2 120000"), 3);
  EXPECT_THAT(journal, Contains(kEvent14No));
}

TEST_F(MonitoringLoopTest, SettingsAreReadAgainBeforeEachWaitAndAtTheCriticalPoint) {
  library.states = {UPS_ONBATTERY, UPS_ONLINE, UPS_ONBATTERY, UPS_ONBATTERY};
  host.dwords["TurnUPSOffEnable"] = 0;
  int waits = 0;
  library.during_wait = [&] {
    if (++waits == 1) {
      host.dwords["ShutdownOnBatteryWait"] = 5;
    } else if (waits == 2) {
      host.dwords.erase("ShutdownOnBatteryEnable");  // a failed read keeps the last value
      host.dwords["TurnUPSOffEnable"] = 1;
      host.dwords["TurnUPSOffWait"] = 30;
      host.dwords["CriticalPowerAction"] = 7;
    }
  };
  run();
  EXPECT_THAT(journal, IsSupersetOf({"wait 2 120000", "wait 2 300000", "turn off 30"}));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("exit windows"))));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("power state"))));
  EXPECT_THAT(journal, Contains(kEvent15Hibernate)) << "any action but 0 is named as the hibernation";
  EXPECT_THAT(journal, Contains("end session")) << "without an action the server's primary need not wait";
  EXPECT_EQ(journal.back(), "stopped 0 0") << "nothing monitors any more, whatever the action";
}

TEST_F(MonitoringLoopTest, WithoutTheLimitOnlyBatteryLowActsAndTheUpsStaysOnWhenNotEnabled) {
  host.dwords["ShutdownOnBatteryEnable"] = 0;
  host.dwords["TurnUPSOffEnable"] = 0;
  library.states = {UPS_ONBATTERY, UPS_LOWBATTERY};
  run();
  EXPECT_THAT(journal, Contains("wait 2 4294967295"));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("turn off"))));
  EXPECT_THAT(journal, Contains(kEvent14Yes));
}

TEST_F(MonitoringLoopTest, PlainShutdownWhenTheMachineCannotSwitchItselfOff) {
  effects.soft_off = false;
  library.states = {UPS_LOWBATTERY};
  run();
  EXPECT_THAT(journal, Contains("exit windows 0x5 0x8006000A"));
}

TEST_F(MonitoringLoopTest, AfterTheHibernationMonitoringStartsOverWithTheLibraryLoadedAgain) {
  host.dwords["CriticalPowerAction"] = 1;
  library.states = {UPS_LOWBATTERY, UPS_ONLINE, UPS_LOWBATTERY};
  library.load_results = {true, true, false};
  platform::TraceCapture trace;
  run();
  // The server's session (when there is one) ends before the machine sleeps: afterwards is too late.
  EXPECT_THAT(journal, ElementsAre("load", "bind", "init", "running", "state 4", "clients first", "test mode off",
                                   kEvent14Yes, "hold session", "turn off 120", "stop", kEvent15Hibernate, "privilege",
                                   "end session", "unload", "power state hibernate forced",  //
                                   "load", "bind", "init", "running", "state 1", "wait 1 4294967295", "state 4",
                                   "clients first", "test mode off", kEvent14Yes, "hold session", "turn off 120", "stop",
                                   kEvent15Hibernate, "privilege", "end session", "unload",
                                   "power state hibernate forced",  //
                                   "load", kLibraryNotLoaded,
                                   "stopped 126 0"));
  EXPECT_TRUE(trace.contains("Error load dll\n"));
}

// The rehearsal writes its line through the library: it must still be loaded at that moment.
TEST_F(MonitoringLoopTest, InTestModeTheActionIsWrittenDownWhileTheLibraryIsStillLoaded) {
  rehearse_through_the_library();
  host.dwords["PowerActionTestMode"] = 1;
  library.states = {UPS_LOWBATTERY};
  run();
  core::set_power_action_test_mode(false, nullptr);

  EXPECT_THAT(journal, ElementsAre("load", "bind", "init", "running", "state 4", "clients first", "test mode on",
                                   kEvent14Yes, "hold session", "turn off 120", "stop", kEvent15Shutdown, "privilege",
                                   // The rehearsal asks the real machine, which natively has no soft-off.
                                   "event 30 Проверочный режим: выключение не выполнено (флаги 0x5, причина "
                                   "0x8006000A)\n",
                                   // The server's primary hears of it after the action's line.
                                   "end session", "unload", "stopped 0 0"));
  EXPECT_TRUE(effects.exits.empty()) << "no real request";
}

TEST_F(MonitoringLoopTest, ARehearsedHibernationEndsTheServersSessionAfterItsLine) {
  rehearse_through_the_library();
  host.dwords["PowerActionTestMode"] = 1;
  host.dwords["CriticalPowerAction"] = 1;
  library.states = {UPS_LOWBATTERY};
  library.load_results = {true, false};
  run();
  core::set_power_action_test_mode(false, nullptr);
  const auto line = std::find_if(journal.begin(), journal.end(),
                                 [](const std::string& entry) { return entry.rfind("event 30 ", 0) == 0; });
  ASSERT_NE(line, journal.end());
  EXPECT_EQ(*std::next(line), "end session");
}

TEST_F(MonitoringLoopTest, AStopRequestEndsTheMonitoringCleanlyWithoutAnyAction) {
  library.during_wait = [&] { loop.request_stop(); };
  run();
  EXPECT_THAT(journal, ElementsAre("load", "bind", "init", "running", "state 1", "wait 1 4294967295", "cancel",
                                   "stop", "unload", "stopped 0 0"));
  // The handler repeats its request until the loop has ended; once seen, it cancels nothing more.
  loop.request_stop();
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "cancel"), 1);
}

TEST_F(MonitoringLoopTest, AStopRequestDuringTheHibernationKeepsTheServiceFromStartingAgain) {
  host.dwords["CriticalPowerAction"] = 1;
  library.states = {UPS_LOWBATTERY};
  host.on_test_mode = [&](bool) { loop.request_stop(); };
  run();
  EXPECT_THAT(journal, Contains("power state hibernate forced"));
  EXPECT_THAT(journal, Not(Contains("cancel"))) << "the library is being stopped: its handles are going";
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "load"), 1);
  EXPECT_EQ(journal.back(), "stopped 0 0");
}

}  // namespace
}  // namespace service
