// The end of a run, end to end: UPSTurnOff with the command the UPS receives for each delay,
// UPSStop with everything it must release, and a second start of the same library — also after
// the host unloaded it and loaded it again elsewhere, as the service host does after a hibernation.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>

#include "core/monitor_window_win.h"
#include "core/test_minidriver_fixture_win.h"
#include "ipc/pipe_client_win.h"
#include "platform/test_handle_count_win.h"
#include "platform/test_security_win.h"

namespace core {
namespace {

using namespace core::testing;

DWORD thread_count() {
  DWORD count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

class Lifecycle : public MinidriverHostTest {
 protected:
  static void SetUpTestSuite() { set_up_host("orvik_lifecycle"); }
};

TEST_F(Lifecycle, TurnOffSendsDelayAndRestoreTimeAndTheNextStartCancelsIt) {
  ConfigOverride config;
  config.set_dword("TurnUPSOnEnable", 1);
  config.set_dword("TurnUPSOnWait", 3);
  struct Case {
    DWORD delay;
    const char* command;
    const char* event;
  };
  for (const Case& c : {Case{120, "S02R0003\r", "Активирую выключение ИБП через 120 сек\n"},
                        Case{30, "S.5R0003\r", "Активирую выключение ИБП через 30 сек\n"},
                        Case{0, "S.2R0003\r", "Активирую выключение ИБП через 12 сек\n"},
                        Case{100000, "S10R0003\r", "Активирую выключение ИБП через 600 сек\n"}}) {
    SCOPED_TRACE(c.command);
    ASSERT_TRUE(start());
    EXPECT_TRUE(eventually([] { return simulator::state("shutdown_pending") == "no"; }, 2000))
        << "start-up cancelled the previous turn-off";
    const std::size_t mark = simulator::received().size();
    const std::size_t events_mark = output_->events().size();
    exports_.turn_off(c.delay);
    EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == c.command; }, 2000))
        << simulator::commands_since(mark);
    EXPECT_TRUE(eventually([] { return simulator::state("shutdown_pending") == "yes"; }, 2000)) << "the UPS took it";
    EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), events_mark), 7, c.event));
    const std::size_t received = simulator::received().size();
    Sleep(1500);
    EXPECT_EQ(simulator::received().size(), received) << "polling has stopped";
    stop();
  }
  ASSERT_TRUE(start());
  EXPECT_TRUE(eventually([] { return simulator::state("shutdown_pending") == "no"; }, 2000));
  stop();
}

TEST_F(Lifecycle, TurnOffBlockedByTheTraySendsNothing) {
  ASSERT_TRUE(start());
  block_->turn_off_blocked = 1;
  const std::size_t mark = simulator::received().size();
  exports_.turn_off(120);
  Sleep(1500);
  EXPECT_EQ(simulator::commands_since(mark), "");
  EXPECT_EQ(simulator::state("shutdown_pending"), "no");
  stop();
}

TEST_F(Lifecycle, StopReleasesEverythingSoTheLibraryStartsAgainAndAgain) {
  // A run as the service has it: the core polls, a tray connects and goes again.
  auto run = [this] {
    ASSERT_TRUE(start());
    ipc::PipeClient tray;
    ASSERT_TRUE(tray.connect());
    Sleep(2500);
    tray.disconnect();
    stop();
  };
  // One run first: whatever the system creates once per process is not a leak.
  ASSERT_NO_FATAL_FAILURE(run());
  const DWORD handles_before = platform::testing::process_handle_count();
  ASSERT_GT(handles_before, 0u) << "handles can be counted";
  const DWORD threads_before = thread_count();

  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NO_FATAL_FAILURE(run());
    EXPECT_EQ(CreateFileA(ipc::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the pipe is gone";
    EXPECT_EQ(OpenEventA(SYNCHRONIZE, FALSE, ipc::kNewDataEventName), nullptr) << "the new-data event is gone";
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\UPS_map"), nullptr) << "the block is gone";
    EXPECT_EQ(FindWindowA(kMonitorWindowClass, kMonitorWindowTitle), nullptr) << "the hidden window is gone";
    HANDLE port = CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(port, INVALID_HANDLE_VALUE) << "the port is free";
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);

    EXPECT_EQ(platform::testing::process_handle_count(), handles_before);
    EXPECT_EQ(thread_count(), threads_before);
  }
}

// The service host unloads the library after a hibernation and loads it again, and the system
// may then place it at another address: nothing of the first load may still be in use.
TEST_F(Lifecycle, LibraryLoadedAgainElsewhereStartsAndHandlesPowerBroadcasts) {
  ASSERT_TRUE(start());
  stop();
  auto* old_base = reinterpret_cast<BYTE*>(library_);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(old_base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(old_base + dos->e_lfanew);
  const SIZE_T image_size = nt->OptionalHeader.SizeOfImage;
  ASSERT_TRUE(FreeLibrary(library_));
  // Keeps the old address taken, so the second load must be relocated.
  void* taken = VirtualAlloc(old_base, image_size, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(taken, nullptr) << GetLastError();

  library_ = load_driver_library();
  ASSERT_NE(library_, nullptr);
  EXPECT_NE(reinterpret_cast<BYTE*>(library_), old_base);
  ASSERT_TRUE(exports_.bind(library_));
  ASSERT_TRUE(start());
  HWND window = FindWindowA(kMonitorWindowClass, kMonitorWindowTitle);
  ASSERT_NE(window, nullptr);
  const std::size_t events_mark = output_->events().size();
  constexpr WPARAM kResume = 7;
  SendMessageA(window, WM_POWERBROADCAST, kResume, 0);
  EXPECT_TRUE(
      CoreOutput::has_event(since(output_->events(), events_mark), 18, "Выход из спящего режима зафиксирован\n"));
  stop();
  VirtualFree(taken, 0, MEM_RELEASE);
}

// Objects that other processes made under the system's names before the service started: an event
// open to everyone is taken back, another account's block refused; the monitoring goes on either
// way, and the next start takes the name again once the other account has let go.
TEST_F(Lifecycle, ObjectsMadeFirstByOthersAreTakenBackOrRefusedAndTheMonitoringGoesOn) {
  platform::testing::PlantedSecurity open_to_everyone(nullptr, nullptr);
  platform::testing::PlantedSecurity strangers(platform::testing::kStrangerSid, "(A;;GA;;;WD)");
  platform::UniqueHandle event(CreateEventA(open_to_everyone.attributes(), TRUE, FALSE, ipc::kNewDataEventName));
  platform::UniqueHandle planted(CreateFileMappingA(INVALID_HANDLE_VALUE, strangers.attributes(), PAGE_READWRITE, 0,
                                                    ipc::kSharedBlockSize, "Global\\UPS_map"));
  ASSERT_TRUE(event && planted);
  platform::UniqueView view(MapViewOfFile(planted.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, ipc::kSharedBlockSize));
  auto* strangers_block = static_cast<ipc::UpsSharedBlock*>(view.get());
  const std::size_t events_mark = output_->events().size();
  const std::size_t polls_mark = simulator::received().size();

  ASSERT_TRUE(start());
  EXPECT_TRUE(eventually([&] { return simulator::count(simulator::received().substr(polls_mark), "Q1\r") >= 3; }, 10000))
      << "the UPS is polled";
  EXPECT_TRUE(eventually([&] { return WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0; }, 5000))
      << "the taken-back event is the one published";
  EXPECT_EQ(platform::testing::dacl_entries(event.get()),
            (std::vector<platform::testing::AceEntry>{{"A", platform::testing::kSystemSid, EVENT_ALL_ACCESS},
                                                      {"A", platform::testing::kAdministratorsSid, EVENT_ALL_ACCESS},
                                                      {"A", platform::testing::kInteractiveSid, 0x100001}}));
  EXPECT_EQ(strangers_block->raw_line[0], '\0') << "nothing published into another account's block";
  EXPECT_EQ(strangers_block->vendor[0], '\0');
  const std::string events = since(output_->events(), events_mark);
  EXPECT_TRUE(CoreOutput::has_event(
      events, 35, "Объект Global\\newDataUPS был открыт другим пользователям: владелец и права доступа восстановлены\n"))
      << events;
  EXPECT_TRUE(CoreOutput::has_event(events, 35, "Объект Global\\UPS_map создан чужой учётной записью и не используется\n"))
      << events;
  stop();

  view.reset();
  planted.reset();
  ASSERT_TRUE(start());
  EXPECT_STREQ(block_->vendor, "Orvik") << "the service's own block again";
  stop();
}

}  // namespace
}  // namespace core
