// The administrator's commands on events, started by the code the monitoring process runs: what a
// command is given, where its output goes, the critical point's wait and the end at its limit
// (of the command and of what it started), and the commands that are refused or cannot start.
// The commands are a probe program beside the test (test_event_command_probe_win.cpp).
#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/event_commands_win.h"
#include "core/test_minidriver_host_win.h"
#include "core/ups_state.h"
#include "platform/key_security_win.h"
#include "platform/registry_win.h"
#include "platform/test_trace_capture.h"
#include "platform/wide_text_win.h"
#include "stats/log_event.h"

namespace core {
namespace {

using core::testing::eventually;
using core::testing::read_file;
using platform::testing::env;
using platform::testing::wine_path;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::StartsWith;

constexpr char kOnBattery[] = "Сбой в питании, переход на батарею";
constexpr char kCriticalPoint[] = "Сбой питания. Действие. Батарея разряжена или порог по емкости:да";

// The event lines the commands' code records, as log_event hands them on.
struct RecordedLines {
  static void hear(int code, std::string_view message) {
    std::lock_guard lock(mutex);
    lines.emplace_back(code, message);
  }
  static std::vector<std::pair<int, std::string>> taken() {
    std::lock_guard lock(mutex);
    return lines;
  }
  static inline std::mutex mutex;
  static inline std::vector<std::pair<int, std::string>> lines;
};

// The process id the trace gives for the command of `code`; 0 when it was not started.
DWORD started_process(const std::string& trace, int code) {
  char start[48];
  std::snprintf(start, sizeof start, "UPS::event %02d command started, process ", code);
  const std::size_t at = trace.find(start);
  return at == std::string::npos ? 0 : static_cast<DWORD>(std::stoul(trace.substr(at + std::strlen(start))));
}

bool process_ended(DWORD id) {
  platform::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  return !process || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

void end_process(DWORD id) {
  platform::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (process) TerminateProcess(process.get(), 9);
}

class EventCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kEventsKeyPath);
    events_ = platform::create_admin_only_key(platform::kEventsKeyPath);
    ASSERT_TRUE(events_);
    RecordedLines::lines.clear();
    stats::set_event_listener(RecordedLines::hear);
  }
  void TearDown() override {
    stats::set_event_listener(nullptr);
    events_.reset();
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kEventsKeyPath);
  }

  void set_command(int code, const std::string& command) {
    const std::wstring name = platform::to_wide(event_value_name(code));
    ASSERT_TRUE(platform::write_wide_string_value(events_.get(), name.c_str(), platform::to_wide(command)));
  }
  std::string probe(const std::string& options) const {
    return "\"" + wine_path(env("ORVIK_BIN_DIR")) + "\\event_command_probe.exe\" " + options;
  }
  // A file the probe writes, not there yet (a folder of an earlier run may be reused).
  std::string file(const char* name) const {
    const std::string path = dir_ + "\\" + name;
    DeleteFileA(path.c_str());
    return path;
  }

  // How long recording the event took, in milliseconds.
  static DWORD run(int code, const char* text, std::uint32_t state) {
    const DWORD start = GetTickCount();
    run_event_command({code, text, state});
    return GetTickCount() - start;
  }

  platform::UniqueKey events_;
  std::string dir_ = core::testing::temp_directory("event_commands");
};

TEST_F(EventCommands, TheCommandGetsTheEventAndItsOutputGoesToTheTraceLineByLine) {
  // An earlier event's variables in the monitoring process must not reach the command.
  SetEnvironmentVariableW(L"UPS_EVENT", L"07");
  SetEnvironmentVariableW(L"UPS_STATE", L"online");
  const std::string written = file("env05.txt");
  set_command(5, probe("--env \"" + written + "\" --print"));
  platform::TraceCapture trace;
  run(5, kOnBattery, UPS_ONBATTERY);

  ASSERT_TRUE(eventually([&] { return trace.contains("UPS::event 05 command ended, exit code 0\n"); }, 20000))
      << trace.joined();
  EXPECT_EQ(read_file(written), std::string("UPS_EVENT=05\nUPS_TEXT=") + kOnBattery + "\nUPS_STATE=onbattery\n");
  // Console programs write in the OEM code page; under Wine's 437 its "é" is not the ANSI one.
  const std::string e_acute = platform::to_utf8(platform::to_wide(platform::to_code_page(L"é", CP_OEMCP), CP_OEMCP));
  std::vector<std::string> output;
  for (const std::string& text : trace.texts())
    if (text.rfind("UPS::event 05 command: ", 0) == 0) output.push_back(text);
  EXPECT_THAT(output, ElementsAre("UPS::event 05 command: first line\n", "UPS::event 05 command: second line\n",
                                  "UPS::event 05 command: caf" + e_acute + " on the error stream\n",
                                  "UPS::event 05 command: unfinished\n"));
  EXPECT_THAT(RecordedLines::taken(), IsEmpty());
  SetEnvironmentVariableW(L"UPS_EVENT", nullptr);
  SetEnvironmentVariableW(L"UPS_STATE", nullptr);
}

TEST_F(EventCommands, OnlyTheCriticalPointWaitsForItsCommand) {
  const std::string critical = file("env14.txt");
  set_command(14, probe("--sleep 1 --env \"" + critical + "\""));
  run(14, kCriticalPoint, UPS_LOWBATTERY);
  EXPECT_EQ(read_file(critical), std::string("UPS_EVENT=14\nUPS_TEXT=") + kCriticalPoint + "\nUPS_STATE=lowbattery\n")
      << "written before the wait ended";

  const std::string other = file("env05.txt");
  set_command(5, probe("--env \"" + other + "\" --sleep 60"));
  platform::TraceCapture trace;
  EXPECT_LT(run(5, kOnBattery, UPS_ONBATTERY), 30000u) << "no wait for a command of another event";
  const DWORD command = started_process(trace.joined(), 5);
  ASSERT_NE(command, 0u) << trace.joined();
  EXPECT_TRUE(eventually([&] { return !read_file(other).empty(); }, 20000)) << "it runs on alone";
  EXPECT_FALSE(process_ended(command));
  end_process(command);
  EXPECT_THAT(RecordedLines::taken(), IsEmpty());
}

TEST_F(EventCommands, TheCriticalPointEndsItsCommandAndWhatItStartedAtTheLimit) {
  ASSERT_TRUE(platform::write_dword_value(events_.get(), "CriticalCommandWait", 2));
  const std::string sleeper = file("sleeper.txt");
  set_command(14, probe("--spawn \"" + sleeper + "\" --sleep 60"));
  platform::TraceCapture trace;
  const DWORD took = run(14, kCriticalPoint, UPS_LOWBATTERY);
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 30000u) << "ended, not waited for";
  EXPECT_THAT(RecordedLines::taken(), ElementsAre(Pair(40, "Команда на событие 14 прервана через 2 сек\n")));

  const DWORD command = started_process(trace.joined(), 14);
  ASSERT_NE(command, 0u) << trace.joined();
  const std::string spawned = read_file(sleeper);
  ASSERT_FALSE(spawned.empty()) << "the command started its own sleeper before the limit";
  EXPECT_TRUE(eventually([&] { return process_ended(command); }, 10000));
  EXPECT_TRUE(eventually([&] { return process_ended(static_cast<DWORD>(std::stoul(spawned))); }, 10000))
      << "what the command started ends with it";
  end_process(static_cast<DWORD>(std::stoul(spawned)));
  EXPECT_TRUE(eventually([&] { return trace.contains("UPS::event 14 command ended, exit code 1\n"); }, 10000));
}

// Nothing of these holds the critical point up: each is an event line at once.
TEST_F(EventCommands, ACommandThatCannotRunIsAnEventLineAndNoWait) {
  const auto unprotect = [this] {
    PSECURITY_DESCRIPTOR open_to_users = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;0xF003F;;;SY)(A;;0xF003F;;;BA)(A;;0x20006;;;BU)", SDDL_REVISION_1, &open_to_users, nullptr));
    EXPECT_EQ(RegSetKeySecurity(events_.get(), DACL_SECURITY_INFORMATION, open_to_users), ERROR_SUCCESS);
    LocalFree(open_to_users);
  };
  const struct {
    const char* what;
    std::function<void()> arrange;
    const char* line;
  } cases[] = {
      // The system's error number follows; it differs between a missing folder and a missing file.
      {"a missing program", [&] { set_command(14, "Z:\\no\\such\\folder\\program.exe --now"); },
       "Команда на событие 14 не запущена: программа не найдена (ошибка "},
      {"a missing program in an existing folder", [&] { set_command(14, "C:\\windows\\no_such_program.exe"); },
       "Команда на событие 14 не запущена: программа не найдена (ошибка "},
      {"not a string",
       [&] { platform::write_dword_value(events_.get(), "14", 1); },
       "Команда на событие 14 не запущена: в реестре не строка или слишком длинная строка\n"},
      {"a key users may write",
       [&] {
         set_command(14, probe(""));
         unprotect();
       },
       "Команда на событие 14 не запущена: раздел Events доступен не только администраторам\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    c.arrange();
    platform::TraceCapture trace;
    EXPECT_LT(run(14, kCriticalPoint, UPS_LOWBATTERY), 30000u) << c.what;
    EXPECT_THAT(RecordedLines::taken(), ElementsAre(Pair(39, StartsWith(c.line)))) << c.what;
    EXPECT_EQ(started_process(trace.joined(), 14), 0u) << c.what;
    TearDown();
  }
}

TEST_F(EventCommands, NoCommandStoredStartsNothing) {
  set_command(5, "  \t ");
  platform::TraceCapture trace;
  for (int code : {5, 14, 41}) run(code, kOnBattery, UPS_ONBATTERY);
  TearDown();
  run(14, kCriticalPoint, UPS_LOWBATTERY);  // no key at all
  EXPECT_THAT(RecordedLines::taken(), IsEmpty());
  EXPECT_FALSE(trace.contains("command")) << trace.joined();
}

}  // namespace
}  // namespace core
