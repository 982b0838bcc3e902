// The service "UPS" following a UPS that NUT's own server serves: upsd with NUT's Q1 driver reading
// the UPS simulator natively (tools/wine/nut_server.sh), our service installed unattended under
// Wine with the port NUT:ups@127.0.0.1:<port> and the secondary's login. The stories: monitoring
// and the login as upsd records it; battery tests from the pipe as instant commands, run or refused
// by the server; the simulator's cable pulled (upsd's data goes stale), upsd stopped and started
// again, and the service started while upsd is down: no link, then monitoring again; the server's
// forced shutdown acting at once while the UPS is still on mains; a power failure up to the
// capacity threshold. Every
// critical action is rehearsed (test mode), and upsd's log shows that the logout came after it.
//
// Run in the written order: the first installs, the last uninstalls; each test brings the service
// into the state it needs.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "ipc/pipe_client_win.h"
#include "nut/tcp_stream_win.h"
#include "service/test_service_host_win.h"

namespace service {
namespace {

using core::testing::BlockView;
using core::testing::CoreOutput;
using core::testing::since;
namespace simulator = core::testing::simulator;
using namespace service::testing;

constexpr char kServiceStarted[] = "Служба ИБП запущена\n";
constexpr char kNoLink[] = "Нет связи с ИБП\n";
constexpr char kLinkBack[] = "Связь с ИБП восстановлена\n";
constexpr char kCriticalPoint[] = "Сбой питания. Действие. Батарея разряжена или порог по емкости:да\n";
constexpr char kCriticalAction[] = "Сбой питания. Действие выключение\n\n";

std::string server_port() { return env("ORVIK_NUT_PORT"); }
std::string server_label() { return "ups@127.0.0.1:" + server_port(); }

std::string upsd_log() { return core::testing::read_file(wine_path(env("ORVIK_NUT_UPSD_LOG"))); }

// "upsd stop" or "upsd start", done by the harness within a tenth of a second.
void server_command(const char* line) {
  const std::string path = wine_path(env("ORVIK_NUT_SERVER_CONTROL"));
  FILE* control = std::fopen(path.c_str(), "ab");
  ASSERT_NE(control, nullptr) << path;
  std::fprintf(control, "%s\n", line);
  std::fclose(control);
}

// What a primary's upsmon does when its UPS must go down: FSD, as the user "admin" of upsd.users.
std::string force_shutdown_at_the_server() {
  nut::TcpStream stream;
  std::string answers;
  if (stream.open({"ups", "127.0.0.1", static_cast<std::uint16_t>(std::stoi(server_port()))}, 5000) ==
          nut::ServerStream::OpenResult::connected &&
      stream.send("USERNAME admin\nPASSWORD admin-pw\nLOGIN ups\nPRIMARY ups\nFSD ups\n", 5000)) {
    const DWORD start = GetTickCount();
    while (answers.find("FSD-SET") == std::string::npos && GetTickCount() - start < 5000) {
      char buffer[512];
      const nut::ServerStream::Received got = stream.receive(buffer, sizeof buffer, 500);
      if (got.ended) break;
      answers.append(buffer, got.count);
    }
    stream.send("LOGOUT\n", 1000);
  }
  stream.release();
  return answers;
}

class ServedUps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = new CoreOutput("nut_client_e2e");
    remove_system_and_record_into(*output_);
    write_baseline_settings();
  }

  // Test mode above all; the UPS turn-off enabled, to show that it never goes over the network.
  static void write_baseline_settings() {
    write_config_dword("PowerActionTestMode", 1);
    write_config_dword("CriticalPowerAction", 0);
    write_config_dword("TurnUPSOffEnable", 1);
    write_config_dword("TurnUPSOffWait", 120);
    write_config_dword("ShutdownOnBatteryEnable", 0);
    write_config_dword("ShutdownOnCapBatteryEnable", 0);
  }

  static void TearDownTestSuite() {
    if (open_ups_service(SERVICE_QUERY_STATUS)) run_host("/uninstall");
    remove_ups_service();
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath);
  }

  void TearDown() override {
    simulator::command("silence off\nlowbat off\nmains on\nbattery 13.6");
    write_baseline_settings();
  }

  static long install() {
    return run_host("/install /vendor:Orvik \"/model:Varnelo 600\" /port:NUT:ups@127.0.0.1:" + server_port() +
                    " /user:orvik /password:orvik-pw");
  }

  // Installed and monitoring, the link up.
  static void ensure_monitoring() {
    if (!open_ups_service(SERVICE_QUERY_STATUS)) {
      ASSERT_EQ(install(), 0) << output_->trace();
    }
    if (ups_status().dwCurrentState != SERVICE_RUNNING) {
      ASSERT_TRUE(start_ups_service_and_wait()) << output_->trace();
    }
    BlockView block;
    ASSERT_TRUE(eventually([&] { return (block || block.attach()) && block->link_ok == 1; }, 20000)) << output_->trace();
  }

  std::string events_since(std::size_t mark) const { return since(output_->events(), mark); }
  bool event_within(std::size_t mark, int code, const char* text, DWORD limit_ms) const {
    return eventually([&] { return CoreOutput::has_event(events_since(mark), code, text); }, limit_ms);
  }
  static std::size_t logins(const std::string& log) { return occurrences(log, "User orvik@127.0.0.1 logged into UPS [ups]"); }
  static std::size_t logouts(const std::string& log) {
    return occurrences(log, "User orvik@127.0.0.1 logged out from UPS [ups]");
  }

  // The critical action of a story: rehearsed, then the logout, after which upsd's log shows it.
  void expect_the_action_and_then_the_logout(std::size_t mark, std::size_t trace_mark, std::size_t logouts_before) {
    ASSERT_TRUE(event_within(mark, 47, ("Сервер ИБП " + server_label() + " извещён о выключении этого компьютера\n").c_str(),
                             30000))
        << events_since(mark);
    const std::string lines = events_since(mark);
    const std::size_t critical = event_at(lines, 14, kCriticalPoint);
    const std::size_t action = event_at(lines, 15, kCriticalAction);
    const std::size_t rehearsed = lines.find("|30|" + stats::utf8_to_windows1251("Проверочный режим: выключение"));
    const std::size_t told = event_at(lines, 47, "Сервер ИБП ");
    ASSERT_NE(critical, std::string::npos) << lines;
    EXPECT_LT(critical, action);
    EXPECT_LT(action, rehearsed);
    EXPECT_LT(rehearsed, told);
    EXPECT_EQ(lines.find("|07|"), std::string::npos) << "no UPS turn-off announced: " << lines;
    const std::string trace = since(output_->trace(), trace_mark);
    EXPECT_NE(trace.find("UPS::UPSTurnOff: not sent"), std::string::npos) << trace;
    const std::size_t exit_line = trace.find("UPS::test mode: ExitWindowsEx(");
    ASSERT_NE(exit_line, std::string::npos) << trace;
    EXPECT_LT(exit_line, trace.find(" UPS::NUT " + server_label() + ": logged out")) << trace;
    EXPECT_TRUE(eventually([&] { return logouts(upsd_log()) > logouts_before; }, 5000)) << upsd_log();
    EXPECT_EQ(occurrences(simulator::received(), "\rS"), 0u) << "the UPS itself never got a turn-off";
    EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 10000));
  }

  static inline CoreOutput* output_ = nullptr;
};

TEST_F(ServedUps, InstalledUnattendedItFollowsTheServerAsASecondary) {
  ASSERT_EQ(install(), 0) << output_->trace();
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  BlockView block;
  ASSERT_TRUE(eventually([&] { return (block || block.attach()) && block->link_ok == 1; }, 20000)) << output_->trace();
  EXPECT_STREQ(block->port, "NUT");
  EXPECT_EQ(std::string(block->raw_line), "NUT " + server_label() + ": OL");
  EXPECT_GT(block->status.input_voltage, 200.0f);
  EXPECT_EQ(block->capacity_valid, 1) << "the server's battery.charge";
  EXPECT_TRUE(eventually([] { return logins(upsd_log()) >= 1; }, 5000)) << upsd_log();
  EXPECT_TRUE(CoreOutput::has_event(output_->events(), 1, kServiceStarted));
}

// upsd.users lets "orvik" run the quick test only: NUT's driver passes it on to the UPS as "T".
TEST_F(ServedUps, BatteryTestsBecomeInstantCommandsThatTheServerRunsOrRefuses) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t received_mark = simulator::received().size();
  ipc::PipeClient pipe;
  ASSERT_TRUE(pipe.connect_within(10000));
  ASSERT_TRUE(pipe.write(ipc::make_pipe_message(ipc::MSG_TEST_UNTIL_LOW)));
  ASSERT_TRUE(eventually([&] { return since(output_->trace(), trace_mark).find("test.battery.start.deep not run") !=
                                      std::string::npos; },
                         10000))
      << since(output_->trace(), trace_mark);
  EXPECT_NE(since(output_->trace(), trace_mark).find("does not let the user \"orvik\" run it"), std::string::npos);
  ASSERT_TRUE(pipe.write(ipc::make_pipe_message(ipc::MSG_TEST_SHORT)));
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(received_mark).find("T\r") != std::string::npos; },
                         10000))
      << simulator::commands_since(received_mark);
  EXPECT_NE(since(output_->trace(), trace_mark).find("INSTCMD test.battery.start.quick done"), std::string::npos);
  EXPECT_EQ(simulator::commands_since(received_mark).find("TL\r"), std::string::npos) << "the refused one never went";
}

TEST_F(ServedUps, TheSimulatorsCablePulledAtTheServerIsNoLinkHereUntilItIsBack) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t mark = output_->events().size();
  simulator::command("silence on");
  // NUT's Q1 driver gives up on a silent UPS after about half a minute; upsd then says DATA-STALE.
  ASSERT_TRUE(event_within(mark, 6, kNoLink, 60000)) << events_since(mark);
  EXPECT_NE(output_->trace().find("DATA-STALE"), std::string::npos);
  simulator::command("silence off");
  ASSERT_TRUE(event_within(mark, 3, kLinkBack, 30000)) << events_since(mark);
  EXPECT_EQ(events_since(mark).find("|04|"), std::string::npos) << "no link is never read as mains back";
  EXPECT_EQ(events_since(mark).find("|05|"), std::string::npos) << "nor as a failure";
}

TEST_F(ServedUps, TheServerStoppedAndStartedIsNoLinkAndThenMonitoringWithANewLogin) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t mark = output_->events().size();
  const std::size_t logins_before = logins(upsd_log());
  server_command("upsd stop");
  ASSERT_TRUE(event_within(mark, 6, kNoLink, 15000)) << events_since(mark);
  server_command("upsd start");
  ASSERT_TRUE(event_within(mark, 3, kLinkBack, 20000)) << events_since(mark);
  EXPECT_TRUE(eventually([&] { return logins(upsd_log()) > logins_before; }, 5000)) << upsd_log();
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

// As at boot before the network is up: the service starts, without a link, and monitors as soon as
// the server answers.
TEST_F(ServedUps, StartedBeforeTheServerItMonitorsOnceTheServerIsUp) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  ASSERT_TRUE(stop_ups_service_and_wait());
  server_command("upsd stop");
  const std::size_t mark = output_->events().size();
  ASSERT_TRUE(start_ups_service_and_wait()) << output_->trace();
  EXPECT_TRUE(event_within(mark, 1, kServiceStarted, 5000)) << events_since(mark);
  EXPECT_TRUE(event_within(mark, 6, kNoLink, 5000)) << events_since(mark);
  server_command("upsd start");
  ASSERT_TRUE(event_within(mark, 3, kLinkBack, 20000)) << events_since(mark);
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ServedUps, TheServersForcedShutdownActsAtOnceWhileOnMains) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t logouts_before = logouts(upsd_log());
  const std::string answers = force_shutdown_at_the_server();
  ASSERT_NE(answers.find("OK FSD-SET"), std::string::npos) << answers;
  ASSERT_TRUE(event_within(mark, 45, "Сервер ИБП объявил выключение всех компьютеров (FSD)\n", 10000))
      << events_since(mark);
  expect_the_action_and_then_the_logout(mark, trace_mark, logouts_before);
  EXPECT_EQ(events_since(mark).find("|05|"), std::string::npos) << "mains never failed";
  // upsd keeps FSD until it starts again.
  server_command("upsd stop");
  server_command("upsd start");
}

TEST_F(ServedUps, APowerFailureEndsInTheActionAtTheCapacityThreshold) {
  write_config_dword("ShutdownOnCapBatteryEnable", 1);
  write_config_dword("ShutdownOnCapBatteryWait", 90);
  if (ups_status().dwCurrentState == SERVICE_RUNNING) {
    ASSERT_TRUE(stop_ups_service_and_wait());
  }
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::size_t mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  const std::size_t logouts_before = logouts(upsd_log());
  simulator::command("mains off");
  ASSERT_TRUE(event_within(mark, 5, "Сбой в питании, переход на батарею\n", 15000)) << events_since(mark);
  ASSERT_TRUE(event_within(mark, 21, "Выключение по ёмкости. Текущая:", 60000)) << events_since(mark);
  expect_the_action_and_then_the_logout(mark, trace_mark, logouts_before);
}

TEST_F(ServedUps, UninstallRemovesTheServiceAndTheLogin) {
  ASSERT_EQ(run_host("/uninstall"), 0);
  EXPECT_FALSE(open_ups_service(SERVICE_QUERY_STATUS));
  platform::UniqueKey login;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\UPS\\Network\\Client", 0, KEY_READ,
                          login.receive()),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace service
