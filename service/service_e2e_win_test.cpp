// The service "UPS" installed by "/install" and run by the service control manager on the
// simulated UPS: monitoring, the critical point of a power failure in its three ways, a low
// battery on mains that is no critical point, the command line's power actions, re-configuration
// and removal. In power-action test mode, so the critical actions are written down instead of done.
//
// Each test brings the service into the state it needs and the fixture restores the settings and
// the simulated UPS after it, so a failure never carries into the next test; run in the written
// order, the first installs and the last uninstalls.
#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ipc/pipe_client_win.h"
#include "ipc/test_squatter_win.h"
#include "link/ups_status.h"
#include "service/test_service_host_win.h"
#include "tray/status_text.h"
#include "tray/test_tray_desktop_win.h"

namespace service {
namespace {

using core::testing::BlockView;
using core::testing::CoreOutput;
using core::testing::since;
namespace simulator = core::testing::simulator;
using namespace service::testing;

constexpr char kAnswerOk[] = "--vendor Orvik --model \"Varnelo 600\" --port COM1 --ui off --press ok";
constexpr char kServiceStarted[] = "Служба ИБП запущена\n";

void delete_service_key() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath); }

// The orvik_ups processes that the process `parent` started and that still run.
int host_programs_started_by(DWORD parent) {
  platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int started = 0;
  for (BOOL listed = Process32FirstW(snapshot.get(), &entry); listed; listed = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, L"orvik_ups.exe") == 0) ++started;
  return started;
}

class InstalledService : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = new CoreOutput("service_e2e");
    remove_system_and_record_into(*output_);
    write_baseline_settings();
  }

  // What every test starts from; test mode above all, so that no critical action is ever done.
  static void write_baseline_settings() {
    write_config_dword("PowerActionTestMode", 1);
    write_config_dword("CriticalPowerAction", 0);
    write_config_dword("TurnUPSOffEnable", 1);
    write_config_dword("TurnUPSOffWait", 120);
    write_config_dword("ShutdownOnBatteryEnable", 1);
    write_config_dword("ShutdownOnBatteryWait", 1);
    write_config_dword("ShutdownOnCapBatteryEnable", 0);
    write_config_string("Vendor", "Orvik");
  }

  static void TearDownTestSuite() {
    if (open_ups_service(SERVICE_QUERY_STATUS)) run_host("/uninstall");
    remove_ups_service();
    delete_tray_autostart();
    delete_service_key();
  }

  void TearDown() override {
    // A tray that a failed test left running would hold the pipe from the next one.
    tray::testing::close_tray_applications();
    simulator::command("silence off\nlowbat off\nlowbat-hold off\nmains on\ninput 230\nload 12\njitter on\nbattery 13.5");
    write_baseline_settings();
  }

  // The service installed (by the same answers as the first test) and monitoring.
  static void ensure_monitoring() { testing::ensure_monitoring(kAnswerOk, *output_); }

  // Installed and stopped, so that the next start reads the settings afresh.
  static void ensure_stopped() {
    ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
    ASSERT_TRUE(stop_ups_service_and_wait());
  }

  std::string events_since(std::size_t mark) const { return since(output_->events(), mark); }
  std::string trace_since(std::size_t mark) const { return since(output_->trace(), mark); }
  static bool has_event(const std::string& events, int code, const char* text) {
    return CoreOutput::has_event(events, code, text);
  }
  // Polls until the UPS has been asked for its status `cycles` more times: the service had that
  // many polling cycles to act, if it were to.
  static bool polling_cycles_pass(std::size_t cycles) {
    const std::size_t mark = simulator::received().size();
    return eventually([&] { return occurrences(since(simulator::received(), mark), "Q1\r") >= cycles; },
                      static_cast<DWORD>(cycles) * 1500 + 10000);
  }
  // The simulated UPS's status bits as it last reported them: on mains (bit 7 clear) and with
  // its battery-low bit (bit 6) as `battery_low`.
  static bool ups_reports_mains_with_battery_low(bool battery_low) {
    const std::string bits = simulator::state("bits");  // bit 7 first
    return bits.size() == 8 && bits[0] == '0' && bits[1] == (battery_low ? '1' : '0');
  }
  static bool has_no_critical_point(const std::string& events) {
    return events.find("|14|") == std::string::npos && events.find("|15|") == std::string::npos &&
           events.find("|30|") == std::string::npos;
  }

  static inline CoreOutput* output_ = nullptr;
};

TEST_F(InstalledService, InstallAnsweredInTheDialogRunsTheServiceOnTheUps) {
  const std::size_t received_mark = simulator::received().size();
  ASSERT_EQ(run_host_answering("/install", kAnswerOk), 0);

  ASSERT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING)) << output_->trace();
  std::optional<ServiceSetup> setup = ups_setup();
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->program, L"\"" + host_program_wide() + L"\"");
  EXPECT_EQ(setup->display_name, L"Источник бесперебойного питания");
  EXPECT_EQ(setup->start_type, static_cast<DWORD>(SERVICE_AUTO_START));
  EXPECT_EQ(setup->service_type & SERVICE_WIN32_OWN_PROCESS, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
  EXPECT_FALSE(tray_autostart()) << "the tray box was left unchecked";
  const std::string trace = output_->trace();
  EXPECT_NE(trace.find("UPS VISTA install start\n"), std::string::npos);
  EXPECT_NE(trace.find("UPS::CreateService SUCCESS.\n"), std::string::npos);
  EXPECT_NE(trace.find("UPS::StartService SUCCESS.\n"), std::string::npos);

  // The service polls the UPS and publishes what it hears.
  EXPECT_TRUE(eventually([&] { return occurrences(since(simulator::received(), received_mark), "Q1\r") >= 3; }, 10000));
  EXPECT_TRUE(has_event(output_->events(), 1, kServiceStarted));
  BlockView block;
  ASSERT_TRUE(block.attach());
  EXPECT_TRUE(eventually([&] { return block->status.input_voltage > 200.0f; }, 5000));
}

// The library in the service takes each request and, in test mode, writes it down; the harmless
// standby goes first, so that a rehearsal that did not install stops the test before a shutdown.
TEST_F(InstalledService, PowerActionSwitchesAreTakenByTheRunningService) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  std::size_t mark = output_->events().size();
  DWORD start = GetTickCount();
  EXPECT_EQ(run_host("/suspend"), 0);
  EXPECT_LT(GetTickCount() - start, 5000u) << "the service takes a request within a polling cycle";
  ASSERT_TRUE(eventually([&] {
    const std::string lines = events_since(mark);
    return has_event(lines, 24, "Командное выключение (4)\n") &&
           has_event(lines, 30, "Проверочный режим: ждущий режим не выполнено (флаги 0x2, причина 0x00000000)\n");
  }, 5000)) << events_since(mark);

  mark = output_->events().size();
  EXPECT_EQ(run_host("/shutdown"), 0);
  EXPECT_TRUE(eventually([&] {
    const std::string lines = events_since(mark);
    return has_event(lines, 25, "Командное выключение (5)\n") &&
           lines.find(stats::utf8_to_windows1251("причина 0x800500FF)")) != std::string::npos;
  }, 5000)) << events_since(mark);
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

// A hibernation at the critical point, and the starts after it. A resume on battery with the UPS's
// battery-low bit acts again at once: the battery is running out. A resume on mains monitors,
// however long the UPS keeps its bit while it recharges: acting there would hibernate a machine
// on good mains at every resume.
TEST_F(InstalledService, AfterTheHibernationTheServiceActsAgainOnlyOnBattery) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  // Read again at the critical point: no restart needed.
  write_config_dword("CriticalPowerAction", 1);
  write_config_dword("TurnUPSOffEnable", 0);
  const std::size_t mark = output_->events().size();
  simulator::command("mains off\nlowbat on");
  ASSERT_TRUE(eventually([&] { return occurrences(events_since(mark), "|15|") >= 2; }, 30000))
      << "a second hibernation after a start on battery with the bit: " << events_since(mark);

  const std::size_t back_mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  ASSERT_TRUE(simulator::command_applied("mains on", [] { return ups_reports_mains_with_battery_low(true); }));
  // A start that saw mains waits with it; from then on nothing acts, nothing starts again.
  ASSERT_TRUE(eventually([&] { return trace_since(trace_mark).find("UPS::UPSWaitForStateChange(1, ") != std::string::npos; },
                         30000))
      << trace_since(trace_mark);
  const std::size_t quiet_mark = output_->events().size();
  ASSERT_TRUE(polling_cycles_pass(10)) << "the monitoring stopped: " << events_since(quiet_mark);
  const std::string quiet = events_since(quiet_mark);
  EXPECT_TRUE(has_no_critical_point(quiet)) << quiet;
  EXPECT_EQ(quiet.find("|01|"), std::string::npos) << quiet;
  EXPECT_TRUE(ups_reports_mains_with_battery_low(true)) << "the UPS kept its bit all along";

  const std::string since_back = events_since(back_mark);
  const std::size_t last_start = since_back.rfind("|01|");
  ASSERT_NE(last_start, std::string::npos) << since_back;
  EXPECT_EQ(since_back.find("|15|", last_start), std::string::npos) << since_back;
  EXPECT_EQ(occurrences(since_back.substr(last_start), "|31|"), 1u) << "the low battery on mains, noted once: " << since_back;

  const std::string lines = events_since(mark);
  const std::size_t critical = event_at(lines, 14, "Сбой питания. Действие. Батарея разряжена или порог по емкости:да\n");
  const std::size_t action = event_at(lines, 15, "Сбой питания. Действие спящий режим\n\n");
  const std::size_t rehearsed =
      event_at(lines, 30, "Проверочный режим: спящий режим не выполнено (флаги 0x3, причина 0x00000000)\n");
  const std::size_t started_again = event_at(lines, 1, kServiceStarted);
  ASSERT_NE(critical, std::string::npos) << lines;
  ASSERT_NE(rehearsed, std::string::npos) << lines;
  EXPECT_LT(critical, action);
  EXPECT_LT(action, rehearsed);
  EXPECT_LT(rehearsed, started_again) << "the action is written down before the library is loaded again";
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

// The UPS raises its battery-low bit while mains is present, as it does while it recharges: a
// minute of it is noted once and shown, and nothing acts on it.
TEST_F(InstalledService, BatteryLowOnMainsIsNotedOnceAndNeverActedOn) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t trace_mark = output_->trace().size();
  platform::UniqueHandle tray = platform::testing::start_process("\"" + host_program() + "\" /gui");
  ASSERT_TRUE(tray);
  ASSERT_TRUE(eventually([&] { return trace_since(trace_mark).find("UPS_UI::icon mains\n") != std::string::npos; },
                         30000))
      << trace_since(trace_mark);
  const std::size_t mark = output_->events().size();
  ASSERT_TRUE(simulator::command_applied("lowbat on", [] { return ups_reports_mains_with_battery_low(true); }));
  ASSERT_TRUE(polling_cycles_pass(60)) << "the monitoring stopped: " << events_since(mark);

  const std::string lines = events_since(mark);
  EXPECT_EQ(occurrences(lines, "|31|"), 1u) << lines;
  EXPECT_TRUE(has_event(lines, 31, "Батарея разряжена, питание от сети, идёт заряд (")) << lines;
  EXPECT_TRUE(has_no_critical_point(lines)) << lines;
  EXPECT_EQ(lines.find("|17|"), std::string::npos) << "not the battery-low line of a failure: " << lines;
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

  // The block keeps the UPS's bit beside mains; the tray shows mains, and a low battery in its text.
  BlockView block;
  ASSERT_TRUE(block.attach());
  const ipc::UpsSharedBlock picture = tray::block_copy(*block.get());
  EXPECT_EQ(picture.status.status_bits & (ups_link::STATUS_UTILITY_FAIL | ups_link::STATUS_BATTERY_LOW),
            ups_link::STATUS_BATTERY_LOW);
  const std::string text = tray::status_text(picture, true, false);
  EXPECT_TRUE(text.starts_with("Питание от сети\n")) << text;
  EXPECT_NE(text.find("Инфо: батарея разрядилась"), std::string::npos) << text;
  const std::string trace = trace_since(trace_mark);
  EXPECT_EQ(trace.find("UPS_UI::icon on battery"), std::string::npos) << "the tray stayed on mains";
}

// A battery test until the battery is low, on a UPS that raises its battery-low bit as the test
// ends and keeps it while it recharges: the test ends as the UPS ends it, and nothing acts.
TEST_F(InstalledService, BatteryTestUntilLowEndsAsTheUpsEndsItWithoutAction) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  // Near the low level and at full load, so that the test takes seconds, not a quarter of an hour.
  ASSERT_TRUE(simulator::command_applied("lowbat-hold on\nbattery 11.0\nload 100",
                                         [] { return std::atof(simulator::state("battery_v").c_str()) < 11.5; }));
  const std::size_t mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t received_mark = simulator::received().size();
  ipc::PipeClient pipe;
  ASSERT_TRUE(pipe.connect_within(10000));
  ASSERT_TRUE(pipe.write(ipc::make_pipe_message(ipc::MSG_TEST_UNTIL_LOW)));
  ASSERT_TRUE(eventually([&] { return simulator::commands_since(received_mark).find("TL\r") != std::string::npos; },
                         5000));
  ASSERT_TRUE(eventually([] { return simulator::state("test") == "none" && ups_reports_mains_with_battery_low(true); },
                         60000))
      << simulator::state("test") << " " << simulator::state("bits");
  ASSERT_TRUE(eventually([&] { return events_since(mark).find("|32|") != std::string::npos; }, 10000))
      << events_since(mark);
  ASSERT_TRUE(polling_cycles_pass(10)) << "the monitoring stopped: " << events_since(mark);

  const std::string lines = events_since(mark);
  EXPECT_TRUE(has_event(lines, 32, "Тест батареи завершён: батарея разряжена, питание от сети (")) << lines;
  EXPECT_EQ(occurrences(lines, "|32|"), 1u) << lines;
  EXPECT_EQ(lines.find("|31|"), std::string::npos) << "the test's line says it: " << lines;
  EXPECT_TRUE(has_no_critical_point(lines)) << lines;
  EXPECT_EQ(trace_since(trace_mark).find("UPS::UPSWaitForStateChange END = 4"), std::string::npos);
  EXPECT_TRUE(ups_reports_mains_with_battery_low(true)) << "the UPS still holds its bit";
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

// The service holds the pipe's name for its process's whole life: a program that keeps trying to
// take it gets it neither at the critical point nor while the library is unloaded and loaded
// again around the hibernation, and the command line finds the service's pipe afterwards. Once the
// service has stopped the squatter wins, and costs the next start nothing but the pipe.
TEST_F(InstalledService, ThePipesNameStaysTheServicesAcrossTheHibernation) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  write_config_dword("CriticalPowerAction", 1);
  write_config_dword("TurnUPSOffEnable", 0);
  ipc::testing::Squatter squatter;
  EXPECT_FALSE(squatter.holds_the_name(1000)) << "the running service holds every instance";

  // On battery and low: the critical point and a hibernation, and again at every start while the
  // UPS still says so; on mains with a good battery the service monitors once more.
  const std::size_t mark = output_->events().size();
  simulator::command("mains off\nlowbat on");
  const auto hibernated = [&] {
    return has_event(events_since(mark), 15, "Сбой питания. Действие спящий режим\n\n");
  };
  ASSERT_TRUE(eventually(hibernated, 15000)) << events_since(mark);
  simulator::command("lowbat off\nmains on");
  const std::size_t mains_mark = output_->trace().size();
  const auto monitoring_on_mains = [&] {
    return trace_since(mains_mark).find("UPS::UPSWaitForStateChange(1, ") != std::string::npos;
  };
  ASSERT_TRUE(eventually(monitoring_on_mains, 30000)) << trace_since(mains_mark);

  EXPECT_FALSE(squatter.holds_the_name(0)) << "tried every 5 ms across every restart of the monitoring";
  EXPECT_EQ(events_since(mark).find("|34|"), std::string::npos) << events_since(mark);
  const std::size_t request_mark = output_->events().size();
  EXPECT_EQ(run_host("/suspend"), 0);
  EXPECT_TRUE(eventually([&] { return has_event(events_since(request_mark), 24, "Командное выключение (4)\n"); }, 5000))
      << "the same pipe serves the requests";

  // Stopped, the service holds nothing: the squatter takes the name, and the service started again
  // monitors without its pipe, says so, and gets the name back once the squatter leaves.
  ASSERT_TRUE(stop_ups_service_and_wait());
  ASSERT_TRUE(squatter.holds_the_name(10000));
  const std::size_t restart_mark = output_->events().size();
  const std::size_t restart_trace = output_->trace().size();
  ASSERT_TRUE(start_ups_service_and_wait()) << "a taken name stops no start";
  ASSERT_TRUE(polling_cycles_pass(3));
  EXPECT_TRUE(eventually([&] { return events_since(restart_mark).find("|34|") != std::string::npos; }, 5000))
      << events_since(restart_mark);
  EXPECT_EQ(run_host("/suspend"), 1) << "the command line sends nothing to the squatter";
  EXPECT_EQ(events_since(restart_mark).find("|24|"), std::string::npos);
  EXPECT_EQ(squatter.leave(), 0);
  ASSERT_TRUE(eventually([&] { return trace_since(restart_trace).find("UPS::IPC available again") != std::string::npos; },
                         5000));
  const std::size_t back_mark = output_->events().size();
  EXPECT_EQ(run_host("/suspend"), 0);
  EXPECT_TRUE(eventually([&] { return has_event(events_since(back_mark), 24, "Командное выключение (4)\n"); }, 5000))
      << "the pipe is back without a restart";
}

TEST_F(InstalledService, MainsCutOutlastingTheWaitTurnsTheUpsOffAndShutsDown) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t received_mark = simulator::received().size();
  const DWORD cut = GetTickCount();
  simulator::command("mains off");
  ASSERT_TRUE(eventually([&] { return has_event(events_since(mark), 15, "Сбой питания. Действие выключение\n\n"); },
                         100000))
      << events_since(mark);
  const DWORD on_battery_ms = GetTickCount() - cut;
  EXPECT_GE(on_battery_ms, 58000u) << "one minute on battery";
  EXPECT_LT(on_battery_ms, 80000u);

  const std::string lines = events_since(mark);
  EXPECT_TRUE(has_event(lines, 5, "Сбой в питании, переход на батарею\n"));
  EXPECT_TRUE(has_event(lines, 14, "Сбой питания. Действие. Батарея разряжена или порог по емкости:нет\n"));
  EXPECT_TRUE(has_event(lines, 7, "Активирую выключение ИБП через 120 сек\n"));
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(received_mark).find("S02R") != std::string::npos; },
                         3000))
      << simulator::commands_since(received_mark);
  // Shutdown and force, with power-off when the machine can switch itself off; power supply.
  EXPECT_TRUE(eventually([&] {
    const std::string now = events_since(mark);
    return has_event(now, 30, "Проверочный режим: выключение с отключением питания не выполнено (флаги 0xD, причина "
                              "0x8006000A)\n") ||
           has_event(now, 30, "Проверочный режим: выключение не выполнено (флаги 0x5, причина 0x8006000A)\n");
  }, 5000)) << events_since(mark);
  EXPECT_NE(trace_since(trace_mark).find("UPS::test mode: ExitWindowsEx(0x"), std::string::npos);
  // Nothing monitors any more: the service says so.
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 10000));
  EXPECT_EQ(ups_status().dwWin32ExitCode, 0u);
}

TEST_F(InstalledService, CapacityThresholdIsTheCriticalPointWithoutWaiting) {
  ASSERT_NO_FATAL_FAILURE(ensure_stopped());
  write_config_dword("ShutdownOnBatteryEnable", 0);
  write_config_dword("TurnUPSOffEnable", 0);
  write_config_dword("ShutdownOnCapBatteryEnable", 1);
  write_config_dword("ShutdownOnCapBatteryWait", 60);
  ASSERT_TRUE(start_ups_service_and_wait()) << output_->trace();
  const std::size_t mark = output_->events().size();
  const std::size_t received_mark = simulator::received().size();
  // About 38 % of the model's range, above the UPS's own battery-low level.
  simulator::command("mains off\nbattery 11.4");
  ASSERT_TRUE(eventually([&] { return has_event(events_since(mark), 15, "Сбой питания. Действие выключение\n\n"); },
                         30000))
      << events_since(mark);
  const std::string lines = events_since(mark);
  EXPECT_NE(lines.find("|21|" + stats::utf8_to_windows1251("Выключение по ёмкости. Текущая:")), std::string::npos)
      << lines;
  EXPECT_EQ(lines.find("|17|"), std::string::npos) << "not by the UPS's own battery-low bit";
  EXPECT_TRUE(has_event(lines, 14, "Сбой питания. Действие. Батарея разряжена или порог по емкости:да\n"));
  EXPECT_EQ(simulator::commands_since(received_mark).find('S'), std::string::npos) << "turn-off not enabled";
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 10000));
}

TEST_F(InstalledService, NoUpsChosenStopsTheServiceWithCode10) {
  ASSERT_NO_FATAL_FAILURE(ensure_stopped());
  write_config_string("Vendor", "");
  const std::size_t mark = output_->events().size();
  ServiceHandle ups = open_ups_service();
  ASSERT_TRUE(ups);
  ASSERT_TRUE(StartServiceW(ups.get(), 0, nullptr));
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 10000));
  const SERVICE_STATUS status = ups_status();
  EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
  EXPECT_EQ(status.dwServiceSpecificExitCode, 10u);
  EXPECT_FALSE(has_event(events_since(mark), 1, kServiceStarted)) << "the library is not even loaded";
}

TEST_F(InstalledService, SetupRestartsTheServiceAndStartsTheTrayOnlyWhenNoneRuns) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  constexpr char kAnswerUiOn[] = "--vendor Orvik --model \"Varnelo 600\" --port COM1 --ui on --press ok";
  std::size_t trace_mark = output_->trace().size();
  ASSERT_EQ(run_host_answering("/setup", kAnswerUiOn), 0);
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(tray_autostart(), L"\"" + host_program_wide() + L"\" /gui");
  // The tray application was started and found the service.
  EXPECT_TRUE(eventually([&] { return trace_since(trace_mark).find("UPS_UI::CONNECT SMAP:1\n") != std::string::npos; },
                         20000))
      << trace_since(trace_mark);
  // Its window comes a moment after it connected.
  ASSERT_TRUE(eventually([] { return tray::testing::tray_window() != nullptr; }, 10000));

  trace_mark = output_->trace().size();
  DWORD host = 0;
  ASSERT_EQ(run_host_answering("/setup", kAnswerUiOn, &host), 0);
  // Both traced and started, if at all, before the host ended.
  EXPECT_NE(trace_since(trace_mark).find("UPS::Service start pending.\n"), std::string::npos) << "restarted";
  EXPECT_EQ(host_programs_started_by(host), 0) << "no second tray application";
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_TRUE(tray::testing::close_tray_applications());
}

TEST_F(InstalledService, CancelledSetupLeavesTheMonitoringRunningAsItWas) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::optional<std::wstring> autostart = tray_autostart();
  const std::size_t mark = output_->events().size();
  ASSERT_EQ(run_host_answering("/setup", "--vendor Orvik --model \"Varnelo 400\" --press cancel"), 0);
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  const std::string lines = events_since(mark);
  const std::size_t stopped = event_at(lines, 2, "Останов мониторинга ИБП\n");
  ASSERT_NE(stopped, std::string::npos) << "the stop control ends the monitoring cleanly: " << lines;
  const std::size_t started = event_at(lines, 1, kServiceStarted);
  ASSERT_NE(started, std::string::npos) << lines;
  EXPECT_GT(started, stopped) << "stopped for the dialog, started again";
  EXPECT_EQ(tray_autostart(), autostart) << "left as it was";
}

TEST_F(InstalledService, UninstallRemovesTheServiceAndTheTrayAutostart) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  ASSERT_EQ(run_host("/installGUI"), 0);
  ASSERT_TRUE(tray_autostart());
  const std::size_t trace_mark = output_->trace().size();
  EXPECT_EQ(run_host("/uninstall"), 0);
  EXPECT_FALSE(open_ups_service(SERVICE_QUERY_STATUS));
  EXPECT_FALSE(tray_autostart());
  EXPECT_NE(trace_since(trace_mark).find("UPS::DeleteService SUCCESS\n"), std::string::npos) << trace_since(trace_mark);
}

}  // namespace
}  // namespace service
