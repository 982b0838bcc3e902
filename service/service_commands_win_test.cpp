// The command line of orvik_ups beyond the running service: the tray autostart switches, the
// fall-through to the service mode, an installation cancelled in its dialog, the installation on
// systems before Vista, power actions without a service, and the monitoring loop in the foreground.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ipc/shared_block_win.h"
#include "service/test_service_host_win.h"
#include "tray/test_tray_desktop_win.h"

namespace service {
namespace {

using core::testing::CoreOutput;
using core::testing::since;
namespace simulator = core::testing::simulator;
using namespace service::testing;

void delete_service_key() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath); }

class HostCommandLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { output_ = new CoreOutput("service_commands"); }

  void SetUp() override {
    remove_ups_service();
    delete_tray_autostart();
    delete_service_key();
    write_config_string("DebugTraceFile", output_->trace_file());
  }
  void TearDown() override {
    remove_ups_service();
    delete_tray_autostart();
    delete_service_key();
    simulator::command("silence off\nlowbat off\nmains on");
  }

  std::string trace_since(std::size_t mark) const { return since(output_->trace(), mark); }

  static inline CoreOutput* output_ = nullptr;
};

TEST_F(HostCommandLine, TrayAutostartSwitchesAndEverythingElseEndsAtOnce) {
  EXPECT_EQ(run_host("/installGUI"), 0);
  EXPECT_EQ(tray_autostart(), L"\"" + host_program_wide() + L"\" /gui");
  EXPECT_EQ(run_host("/uninstallGUI"), 0);
  EXPECT_FALSE(tray_autostart());

  // Compared whole and in its case: these run the service mode and write nothing. (Outside the
  // service control manager that mode ends at once on Windows; Wine's dispatcher instead waits
  // for a control pipe while any service runs, so the program is ended here.)
  for (const char* line : {"/installGUI ", "/INSTALLGUI", "/installGUI /gui", ""}) {
    platform::UniqueHandle host = platform::testing::start_process("\"" + host_program() + "\" " + line);
    ASSERT_TRUE(host);
    if (platform::testing::wait_for_exit(host.get(), 3000) == -1) TerminateProcess(host.get(), 0);
    EXPECT_FALSE(tray_autostart()) << '"' << line << '"';
  }
}

TEST_F(HostCommandLine, InstallCancelledInTheDialogLeavesTheServiceInstalledButStopped) {
  write_config_dword("stat_on", 0);
  // Written by an earlier installation; the uninstall half removes it.
  ASSERT_EQ(run_host("/installGUI"), 0);
  ASSERT_TRUE(tray_autostart());

  ASSERT_EQ(run_host_answering("/install", "--vendor Orvik --model \"Varnelo 600\" --press cancel"), 0);
  std::optional<ServiceSetup> setup = ups_setup();
  ASSERT_TRUE(setup) << "the service was created before the dialog";
  EXPECT_EQ(ups_status().dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_FALSE(tray_autostart());
  // The lists, the model database and the defaults were written before the dialog.
  platform::UniqueKey db = platform::open_key((std::string(platform::kServiceKeyPath) + "\\db").c_str(), KEY_READ);
  ASSERT_TRUE(db);
  EXPECT_EQ(RegQueryValueExA(db.get(), "Varnelo 600", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  platform::UniqueKey config = platform::open_key(platform::kConfigKeyPath, KEY_READ);
  std::uint32_t wait = 0;
  EXPECT_TRUE(platform::read_dword_value(config.get(), "ShutdownOnBatteryWait", wait));
  EXPECT_EQ(wait, 3u);

  EXPECT_EQ(run_host("/uninstall"), 0);
  EXPECT_FALSE(open_ups_service(SERVICE_QUERY_STATUS));
}

// A removed service stays with the manager while anything holds it (here the test's handle, as a
// console of services or a slowly ending process would): the next installation waits for it to
// leave instead of failing to create the service.
TEST_F(HostCommandLine, ReinstallWaitsForTheRemovedServiceStillHeld) {
  write_config_dword("stat_on", 0);
  const std::string cancel = "--vendor Orvik --model \"Varnelo 600\" --press cancel";
  ASSERT_EQ(run_host_answering("/install", cancel), 0);
  ServiceHandle held = open_ups_service(SERVICE_QUERY_STATUS);
  ASSERT_TRUE(held);
  std::thread holder([&held] {
    Sleep(5000);
    held.reset();
  });
  EXPECT_EQ(run_host_answering("/install", cancel), 0);
  holder.join();
  EXPECT_TRUE(ups_setup()) << "created again once the old one had left";
}

// The service cannot open a USB UPS that is not there: its start fails with UPSInit's result, and
// the administrator is told in a message box.
TEST_F(HostCommandLine, InstallWhoseServiceCannotStartTellsTheUserWhy) {
  write_config_dword("stat_on", 0);
  platform::UniqueHandle host = platform::testing::start_process("\"" + host_program() + "\" /install");
  ASSERT_TRUE(host);
  ASSERT_EQ(platform::testing::run_process("\"" + bin_dir() + "\\setup_answer.exe\" --vendor Orvik --model "
                                           "\"Varnelo 600\" --port USB --ui off --press ok",
                                           60000),
            0);
  HWND box = nullptr;
  ASSERT_TRUE(eventually([&] { return (box = FindWindowW(nullptr, L"Ошибка")) != nullptr; }, 45000));
  wchar_t text[128] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 128);  // the message box's text control
  EXPECT_STREQ(text, L"Ошибка запуска службы");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(platform::testing::wait_for_exit(host.get(), 10000), 0);

  const SERVICE_STATUS status = ups_status();
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(status.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR)) << "a failure, not a success";
  EXPECT_EQ(status.dwServiceSpecificExitCode, 4u) << "USB configured but no USB UPS found";
  const std::string trace = output_->trace();
  EXPECT_NE(trace.find("UPSInit error 4\n"), std::string::npos);
  EXPECT_NE(trace.find("  Service Specific Exit Code: 4\n"), std::string::npos) << trace;
}

// The Start menu's statistics entry where no sheet can open: told why in a message box, and no
// tray application is started to wait for a service that is not there.
TEST_F(HostCommandLine, StatisticsEntryTellsWhyNoSheetCanOpen) {
  const auto told = [](const wchar_t* expected) {
    platform::UniqueHandle host = platform::testing::start_process("\"" + host_program() + "\" /statistics");
    ASSERT_TRUE(host);
    HWND box = nullptr;
    ASSERT_TRUE(eventually([&] { return (box = FindWindowW(nullptr, L"Статистика")) != nullptr; }, 10000));
    wchar_t text[160] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 160);
    EXPECT_STREQ(text, expected);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(platform::testing::wait_for_exit(host.get(), 10000), 1);
  };
  told(L"Служба ИБП не запущена: статистика будет доступна после её запуска.");
  EXPECT_EQ(tray::testing::tray_window(), nullptr);
  delete_service_key();
  told(L"Статистику открывают только пользователи, которым доступны настройки ИБП.");
}

// The library is loaded from the program's own folder only: a copy of the program elsewhere finds
// none, although the folder it is started in (as another user could choose it) holds one. (The
// full path and the narrowed search each keep that one out; what only the full path keeps out, a
// library on PATH of a system without SetDefaultDllDirectories, cannot be shown under Wine.)
TEST_F(HostCommandLine, TheLibraryIsLoadedOnlyFromTheProgramsOwnFolder) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "orvik_host_alone_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string copy = folder + "\\orvik_ups.exe";
  ASSERT_TRUE(CopyFileA(host_program().c_str(), copy.c_str(), FALSE));
  const std::size_t trace_mark = output_->trace().size();
  EXPECT_EQ(platform::testing::run_process("\"" + copy + "\" /gui", kHostRunMs, bin_dir().c_str()), 0);
  EXPECT_NE(trace_since(trace_mark).find("Error load dll\n"), std::string::npos) << trace_since(trace_mark);
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(HostCommandLine, PowerActionSwitchesWithoutAServiceReturnAtOnce) {
  for (const char* line : {"/shutdownUPS", "/hibernateUPS", "/shutdown", "/hibernate", "/reset", "/suspend"}) {
    const DWORD start = GetTickCount();
    EXPECT_EQ(run_host(line, 10000), 0) << line;
    EXPECT_LT(GetTickCount() - start, 5000u) << line;
  }
}

// A tray application may keep the block after its service has gone: a switch asks nobody then and
// leaves nothing in the block.
TEST_F(HostCommandLine, APowerActionSwitchWithTheBlockLeftBehindAsksNobody) {
  platform::SharedMemory left_behind;
  ASSERT_TRUE(ipc::open_shared_block(left_behind, true));
  const DWORD start = GetTickCount();
  EXPECT_EQ(run_host("/hibernateUPS", 10000), 0);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(ipc::shared_block(left_behind)->action_request, 0u);
}

// Wine reports the system version from its "Version" setting, read when a program starts.
class WineVersion {
 public:
  explicit WineVersion(const char* version) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.receive(),
                    nullptr);
    char previous[64] = "";
    had_ = platform::read_string_value(key_.get(), "Version", previous, sizeof previous);
    previous_ = previous;
    platform::write_string_value(key_.get(), "Version", version);
  }
  ~WineVersion() {
    if (had_)
      platform::write_string_value(key_.get(), "Version", previous_.c_str());
    else
      RegDeleteValueA(key_.get(), "Version");
  }

 private:
  platform::UniqueKey key_;
  bool had_ = false;
  std::string previous_;
};

TEST_F(HostCommandLine, BeforeVistaTheSystemsOwnServiceIsAdaptedAndNoServiceCreated) {
  {
    // The system's own UPS service, as such a system brings it.
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    ServiceHandle stand_in(CreateServiceW(manager.get(), L"UPS", L"UPS", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                          SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                          L"C:\\windows\\system32\\ups.exe", nullptr, nullptr, nullptr, nullptr,
                                          nullptr));
    ASSERT_TRUE(stand_in) << GetLastError();
  }
  const std::size_t trace_mark = output_->trace().size();
  {
    WineVersion xp("winxp64");
    EXPECT_EQ(run_host("/install"), 0);
  }
  const std::string trace = trace_since(trace_mark);
  EXPECT_NE(trace.find("UPS W2K/W2K3/XP install start\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("UPS::ChangeServiceConfig succeeded.\n"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("UPS::CreateService"), std::string::npos);
  EXPECT_EQ(trace.find("UPS::DeleteService"), std::string::npos) << "the system's service stays";

  std::optional<ServiceSetup> setup = ups_setup();
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->service_type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
  EXPECT_EQ(setup->start_type, static_cast<DWORD>(SERVICE_DEMAND_START)) << "start type unchanged";
  EXPECT_EQ(setup->program, L"C:\\windows\\system32\\ups.exe");
  EXPECT_EQ(tray_autostart(), L"\"" + host_program_wide() + L"\" /gui");
  platform::UniqueKey providers =
      platform::open_key((std::string(platform::kServiceKeyPath) + "\\ServiceProviders\\Orvik").c_str(), KEY_READ);
  EXPECT_TRUE(providers) << "the system's service finds the library among its providers";
}

// "/app": the same loop without the service control manager, ending at the critical point. The
// action chosen here is none at all, so nothing but the loop is exercised.
TEST_F(HostCommandLine, AppRunsTheMonitoringLoopInTheForegroundUntilTheCriticalPoint) {
  core::testing::install_service_keys("COM1", output_->dir(), output_->trace_file());
  write_config_dword("CriticalPowerAction", 7);
  write_config_dword("TurnUPSOffEnable", 0);
  write_config_dword("TurnUPSOffWait", 180);
  write_config_dword("ShutdownOnBatteryEnable", 0);
  write_config_dword("ShutdownOnBatteryWait", 3);
  const std::size_t events_mark = output_->events().size();
  const std::size_t trace_mark = output_->trace().size();
  platform::UniqueHandle app = platform::testing::start_process("\"" + host_program() + "\" /app");
  ASSERT_TRUE(app);
  ASSERT_TRUE(eventually([&] {
    return CoreOutput::has_event(since(output_->events(), events_mark), 1, "Служба ИБП запущена\n");
  }, 15000)) << trace_since(trace_mark);
  EXPECT_EQ(platform::testing::wait_for_exit(app.get(), 2000), -1) << "monitoring goes on";

  simulator::command("mains off\nlowbat on");
  EXPECT_EQ(platform::testing::wait_for_exit(app.get(), 20000), 0);
  const std::string events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(events, 14, "Сбой питания. Действие. Батарея разряжена или порог по емкости:да\n"));
  EXPECT_TRUE(CoreOutput::has_event(events, 15, "Сбой питания. Действие спящий режим\n\n"));
  EXPECT_TRUE(CoreOutput::has_event(events, 2, "Останов мониторинга ИБП\n"));
  EXPECT_EQ(events.find("|30|"), std::string::npos) << "no action, not even a rehearsed one";
  EXPECT_NE(trace_since(trace_mark).find("UPS_UI::CONNECT SMAP:1\n"), std::string::npos) << "the tray was started";
  EXPECT_TRUE(eventually([] { return tray::testing::tray_window() != nullptr; }, 10000));
  EXPECT_TRUE(tray::testing::close_tray_applications());
}

}  // namespace
}  // namespace service
