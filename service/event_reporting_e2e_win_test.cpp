// Where the system's events reach the administrator, end to end under Wine: the Event Log's source
// and the key of the commands as "/install" leaves them and "/uninstall" takes them away, the
// message tables of both registered files, the commands the installed service runs on the events
// of a power failure (set with orvik_ups's switches), the critical point's wait for its command,
// a start that fails, and the entries in the Event Log: what Wine's ReportEventW writes to its
// "eventlog" debug channel, which tools/wine/prefix.sh gives the services a log for.
//
// In power-action test mode, so the critical actions are written down instead of done. Run in the
// written order: the first test installs, the last uninstalls.
#include <windows.h>
#include <shlwapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/event_report.h"
#include "platform/key_security_win.h"
#include "platform/system_event_log_win.h"
#include "platform/wide_text_win.h"
#include "service/test_service_host_win.h"

namespace service {
namespace {

using core::testing::CoreOutput;
using core::testing::eventually;
using platform::testing::env;
using core::testing::read_file;
using core::testing::since;
namespace simulator = core::testing::simulator;
using namespace service::testing;

constexpr char kAnswerOk[] = "--vendor Orvik --model \"Varnelo 600\" --port COM1 --ui off --press ok";
constexpr char kCriticalYes[] = "Сбой питания. Действие. Батарея разряжена или порог по емкости:да";
constexpr char kActionDone[] = "Сбой питания. Действие выключение\n\n";

void delete_service_key() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kServiceKeyPath); }

std::string probe(const std::string& options) { return bin_dir() + "\\event_command_probe.exe " + options; }

std::wstring wide_value(const char* path, const wchar_t* name, DWORD& type) {
  platform::UniqueKey key = platform::open_key(path, KEY_READ);
  wchar_t text[1024] = L"";
  DWORD size = sizeof text - sizeof(wchar_t);
  if (!key || RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return L"";
  return text;
}

// One entry as Wine's ReportEventW traced it: "err", "warn" or "trace", the event ID and the text.
// Wine's trace cuts a long string (about 300 characters of its escaped form) and marks the cut.
struct TracedEntry {
  std::string kind;
  unsigned id = 0;
  std::string text;
  bool cut = false;
};

// The text of a wine_dbgstr_w string ("\XXXX" in hex for characters outside ASCII).
std::string decode_traced_text(const std::string& quoted) {
  std::wstring text;
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    if (quoted[i] != '\\' || i + 1 == quoted.size()) {
      text += static_cast<wchar_t>(quoted[i]);
      continue;
    }
    const char next = quoted[++i];
    if (next == 'n') text += L'\n';
    else if (next == 'r') text += L'\r';
    else if (next == 't') text += L'\t';
    else if (std::isxdigit(static_cast<unsigned char>(next)) && i + 3 < quoted.size()) {
      text += static_cast<wchar_t>(std::stoul(quoted.substr(i, 4), nullptr, 16));
      i += 3;
    } else text += static_cast<wchar_t>(next);
  }
  return platform::to_utf8(text);
}

// Each ReportEventW call: the advapi fixme line with its arguments, then the string on the eventlog
// channel.
std::vector<TracedEntry> traced_entries(const std::string& log) {
  std::vector<TracedEntry> entries;
  unsigned pending_id = 0;
  std::size_t begin = 0;
  for (std::size_t end; (end = log.find('\n', begin)) != std::string::npos; begin = end + 1) {
    const std::string line = log.substr(begin, end - begin);
    if (const std::size_t at = line.find(":fixme:advapi:ReportEventW ("); at != std::string::npos) {
      // (handle,type,category,event id,...)
      std::size_t field = line.find(',', at);
      for (int skip = 0; skip < 2 && field != std::string::npos; ++skip) field = line.find(',', field + 1);
      if (field != std::string::npos)
        pending_id = static_cast<unsigned>(std::stoul(line.substr(field + 1), nullptr, 16));
      continue;
    }
    const std::size_t channel = line.find(":eventlog:ReportEventW L\"");
    if (channel == std::string::npos) continue;
    const std::size_t kind_begin = line.find(':') + 1;
    const std::size_t text_begin = channel + std::strlen(":eventlog:ReportEventW L\"");
    const bool cut = line.size() > 4 && line.compare(line.size() - 4, 4, "\"...") == 0;
    const std::size_t text_end = line.size() - (cut ? 4 : 1);
    entries.push_back({line.substr(kind_begin, channel - kind_begin), pending_id,
                       decode_traced_text(line.substr(text_begin, text_end - text_begin)), cut});
  }
  return entries;
}

// What the prefix's services traced (tools/wine/prefix.sh).
std::string services_log() {
  return read_file(platform::testing::wine_path(env("ORVIK_WINE_PREFIX") + ".services.log"));
}

// The lines of an event file's text: code and message (UTF-8, without its line ends).
std::vector<std::pair<int, std::string>> event_lines(const std::string& windows1251) {
  std::vector<std::pair<int, std::string>> lines;
  // "hh:mm:ss|cc|" starts each line; a message may hold more line feeds than its own end.
  for (std::size_t at = windows1251.find('|'); at != std::string::npos;) {
    const int code = std::stoi(windows1251.substr(at + 1, 2));
    const std::size_t begin = at + 4;
    std::size_t next = windows1251.find('|', begin);
    std::size_t end = next == std::string::npos ? windows1251.size() : next - 8;
    std::string message = platform::to_utf8(platform::to_wide(windows1251.substr(begin, end - begin), 1251));
    while (!message.empty() && message.back() == '\n') message.pop_back();
    lines.emplace_back(code, message);
    at = next;
  }
  return lines;
}

const char* traced_kind(int code) {
  switch (core::event_log_kind(code)) {
    case platform::EventLogKind::error:
      return "err";
    case platform::EventLogKind::warning:
      return "warn";
    case platform::EventLogKind::information:
      break;
  }
  return "trace";
}

// Every line of `events` is an entry of the Event Log, once, in order, with its kind, its code as
// the event ID and its message as the text.
void expect_reported(const std::string& events, const std::vector<TracedEntry>& entries) {
  const std::vector<std::pair<int, std::string>> lines = event_lines(events);
  ASSERT_EQ(entries.size(), lines.size()) << events;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(entries[i].id, static_cast<unsigned>(lines[i].first)) << i;
    EXPECT_EQ(entries[i].kind, traced_kind(lines[i].first)) << lines[i].second;
    if (entries[i].cut)
      EXPECT_EQ(lines[i].second.compare(0, entries[i].text.size(), entries[i].text), 0) << lines[i].second;
    else
      EXPECT_EQ(entries[i].text, lines[i].second) << i;
  }
}

class EventReporting : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = new CoreOutput("event_reporting");
    remove_system_and_record_into(*output_);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kEventSourceKeyPath);
    write_baseline_settings();
  }
  static void write_baseline_settings() {
    write_config_dword("PowerActionTestMode", 1);
    write_config_dword("CriticalPowerAction", 0);
    write_config_dword("TurnUPSOffEnable", 0);
    write_config_dword("ShutdownOnBatteryEnable", 0);
    write_config_dword("ShutdownOnCapBatteryEnable", 0);
    write_config_string("Vendor", "Orvik");
  }
  static void TearDownTestSuite() {
    if (open_ups_service(SERVICE_QUERY_STATUS)) run_host("/uninstall");
    remove_ups_service();
    delete_service_key();
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kEventSourceKeyPath);
  }
  void TearDown() override {
    simulator::command("lowbat off\nmains on\nbattery 13.5");
    write_baseline_settings();
  }

  static void ensure_monitoring() { testing::ensure_monitoring(kAnswerOk, *output_); }

  // Mains fails and the UPS reports its battery low: the critical point at once. Returns the new
  // event lines once the action was recorded.
  static std::string power_failure_to_the_action(DWORD limit_ms = 60000) {
    const std::size_t mark = output_->events().size();
    simulator::command("mains off");
    EXPECT_TRUE(eventually([&] { return CoreOutput::has_event(since(output_->events(), mark), 5, ""); }, 15000));
    simulator::command("lowbat on");
    EXPECT_TRUE(eventually([&] { return CoreOutput::has_event(since(output_->events(), mark), 15, kActionDone); },
                           limit_ms))
        << since(output_->events(), mark);
    return since(output_->events(), mark);
  }

  // A file the test's commands write, not there yet (a folder of an earlier run may be reused).
  static std::string fresh_file(const char* name) {
    const std::string path = output_->dir() + "\\" + name;
    DeleteFileA(path.c_str());
    return path;
  }

  // The seconds of the day of the line of `code`.
  static int event_second(const std::string& events, int code, const std::string& text) {
    const std::size_t at = event_at(events, code, text);
    if (at == std::string::npos || at < 8) return -1;
    const std::string time = events.substr(at - 8, 8);
    return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 + std::stoi(time.substr(6, 2));
  }

  static inline CoreOutput* output_ = nullptr;
};

TEST_F(EventReporting, InstallRegistersTheSourceWithBothMessageTablesAndAProtectedKeyOfCommands) {
  ASSERT_EQ(run_host_answering("/install", kAnswerOk), 0);
  DWORD type = 0;
  const std::wstring files = wide_value(platform::kEventSourceKeyPath, L"EventMessageFile", type);
  const std::wstring folder = platform::to_wide(bin_dir());
  EXPECT_EQ(files, folder + L"\\orvik_dll.dll;" + folder + L"\\orvik_ups.exe");
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  platform::UniqueKey source = platform::open_key(platform::kEventSourceKeyPath, KEY_READ);
  std::uint32_t types = 0;
  EXPECT_TRUE(platform::read_dword_value(source.get(), "TypesSupported", types));
  EXPECT_EQ(types, 7u) << "errors, warnings and information";

  platform::UniqueKey commands = platform::open_key(platform::kEventsKeyPath, KEY_READ);
  ASSERT_TRUE(commands);
  EXPECT_TRUE(platform::key_for_administrators_only(commands.get()));
  std::uint32_t wait_s = 0;
  EXPECT_TRUE(platform::read_dword_value(commands.get(), "CriticalCommandWait", wait_s));
  EXPECT_EQ(wait_s, 60u);

  // What Event Viewer does with an entry: every code's message is the entry's text, whole.
  const std::wstring text = L"Сбой в питании, переход на батарею: 100% \"готово\"";
  for (std::size_t begin = 0; begin <= files.size();) {
    const std::size_t end = std::min(files.find(L';', begin), files.size());
    const std::wstring file = files.substr(begin, end - begin);
    begin = end + 1;
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << platform::to_utf8(file);
    for (DWORD code = 1; code <= 99; ++code) {
      DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(text.c_str())};
      wchar_t message[512] = L"";
      const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, code, 0,
                                          message, 512, reinterpret_cast<va_list*>(inserts));
      EXPECT_EQ(std::wstring(message, length), text) << platform::to_utf8(file) << " code " << code;
    }
    FreeLibrary(module);
  }
}

TEST_F(EventReporting, CommandsRunOnTheirEventsAndTheCriticalPointWaitsForItsOwn) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::string on_battery = fresh_file("env05.txt");
  const std::string critical = fresh_file("env14.txt");
  ASSERT_EQ(run_host("/event:05 " + probe("--env \"" + on_battery + "\"")), 0);
  ASSERT_EQ(run_host("/event:14 " + probe("--sleep 2 --env \"" + critical + "\"")), 0);
  ASSERT_EQ(run_host("/eventwait:20"), 0);

  const std::size_t mark = output_->events().size();
  const std::size_t log_mark = services_log().size();
  simulator::command("mains off");
  ASSERT_TRUE(eventually([&] { return !read_file(on_battery).empty(); }, 15000)) << since(output_->events(), mark);
  EXPECT_EQ(read_file(on_battery), "UPS_EVENT=05\nUPS_TEXT=Сбой в питании, переход на батарею\nUPS_STATE=onbattery\n");

  simulator::command("lowbat on");
  ASSERT_TRUE(eventually([&] { return CoreOutput::has_event(since(output_->events(), mark), 15, kActionDone); },
                         30000));
  // Seen as soon as the action's line was: the action waited for the command to write it and end.
  EXPECT_EQ(read_file(critical), std::string("UPS_EVENT=14\nUPS_TEXT=") + kCriticalYes + "\nUPS_STATE=lowbattery\n");
  const std::string lines = since(output_->events(), mark);
  EXPECT_EQ(lines.find("|39|"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("|40|"), std::string::npos) << lines;
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 10000));

  // The whole story, from mains failing to the rehearsed shutdown, is in the Event Log too.
  const std::string story = since(output_->events(), mark);
  const auto all_reported = [&] {
    return traced_entries(since(services_log(), log_mark)).size() >= event_lines(story).size();
  };
  EXPECT_TRUE(eventually(all_reported, 10000));
  const std::vector<TracedEntry> entries = traced_entries(since(services_log(), log_mark));
  expect_reported(story, entries);
  ASSERT_GE(entries.size(), 4u);
  EXPECT_EQ(entries.front().kind, "warn") << "on battery";
  EXPECT_EQ(entries.front().text, "Сбой в питании, переход на батарею");
}

TEST_F(EventReporting, ACommandOutlivingTheWaitIsEndedAndTheActionFollows) {
  ASSERT_EQ(run_host("/event:05"), 0);
  ASSERT_EQ(run_host("/event:14 " + probe("--sleep 120")), 0);
  ASSERT_EQ(run_host("/eventwait:3"), 0);
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::string lines = power_failure_to_the_action();
  const std::size_t critical = event_at(lines, 14, kCriticalYes);
  const std::size_t ended = event_at(lines, 40, "Команда на событие 14 прервана через 3 сек\n");
  const std::size_t action = event_at(lines, 15, kActionDone);
  ASSERT_NE(critical, std::string::npos) << lines;
  ASSERT_NE(ended, std::string::npos) << lines;
  EXPECT_LT(critical, ended);
  EXPECT_LT(ended, action);
  const int waited = event_second(lines, 15, kActionDone) - event_second(lines, 14, kCriticalYes);
  EXPECT_GE(waited, 2) << lines;
  EXPECT_LE(waited, 10) << "the action follows the end at the limit: " << lines;
}

TEST_F(EventReporting, AMissingProgramIsAnEventLineAndTheActionComesOnTime) {
  ASSERT_EQ(run_host("/event:14 Z:\\no\\such\\program.exe --shut-the-nas"), 0);
  ASSERT_EQ(run_host("/eventwait:60"), 0);
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  const std::string lines = power_failure_to_the_action(20000);
  const std::size_t refused = event_at(lines, 39, "Команда на событие 14 не запущена: программа не найдена (ошибка ");
  ASSERT_NE(refused, std::string::npos) << lines;
  EXPECT_LT(event_at(lines, 14, kCriticalYes), refused);
  EXPECT_LT(refused, event_at(lines, 15, kActionDone));
  EXPECT_LE(event_second(lines, 15, kActionDone) - event_second(lines, 14, kCriticalYes), 2) << lines;
}

// The host's output and error streams to a file: what a script that runs it gets (UTF-8). The
// arguments go in UTF-16, as a console passes what was typed.
std::string host_output(const std::wstring& arguments, long& exit_code) {
  const std::string path = core::testing::temp_directory("event_switches") + "\\output.txt";
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  {
    platform::UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file.get();
    startup.hStdError = file.get();
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + host_program_wide() + L"\" " + arguments;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
      exit_code = -2;
      return "";
    }
    CloseHandle(info.hThread);
    platform::UniqueHandle host(info.hProcess);
    exit_code = platform::testing::wait_for_exit(host.get(), kHostRunMs);
  }
  return read_file(path);
}

TEST_F(EventReporting, ListingShowsTheWaitAndTheCommandsAndClearingRemovesThem) {
  long exit_code = -1;
  EXPECT_EQ(host_output(L"/event:07 cmd /c echo \"выключение\"", exit_code), "");
  ASSERT_EQ(exit_code, 0);
  EXPECT_EQ(host_output(L"/events", exit_code),
            "CriticalCommandWait 60\n07 cmd /c echo \"выключение\"\n14 Z:\\no\\such\\program.exe --shut-the-nas\n");
  EXPECT_EQ(exit_code, 0);
  for (const char* clear : {"/event:07", "/event:14", "/event:14"}) EXPECT_EQ(run_host(clear), 0) << clear;
  EXPECT_EQ(host_output(L"/events", exit_code), "CriticalCommandWait 60\n");
  EXPECT_THAT(host_output(L"/event:7 x", exit_code),
              ::testing::StartsWith("orvik_ups: команды на события задаются так:\n"));
  EXPECT_EQ(exit_code, 1) << "nothing stored";
  EXPECT_EQ(run_host("/eventwait:601"), 1);
}

TEST_F(EventReporting, AStartThatFailsIsAnEventLineWithItsReason) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  ASSERT_TRUE(stop_ups_service_and_wait());
  // A USB UPS chosen where none is attached.
  const auto set_port = [](const char* port) {
    platform::UniqueKey key = platform::open_key(platform::kServiceKeyPath, KEY_SET_VALUE);
    return key && platform::write_string_value(key.get(), "Port", port);
  };
  ASSERT_TRUE(set_port("USB"));
  const std::size_t mark = output_->events().size();
  ServiceHandle ups = open_ups_service();
  ASSERT_TRUE(StartServiceW(ups.get(), 0, nullptr));
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 30000));
  ASSERT_TRUE(set_port("COM1"));
  EXPECT_TRUE(CoreOutput::has_event(since(output_->events(), mark), 41, "Служба ИБП не запущена: ИБП на USB не найден\n"))
      << since(output_->events(), mark);
}

// The entry goes to the Event Log alone, as no event line can be written without the library.
TEST_F(EventReporting, AServiceWhoseLibraryIsMissingReportsItAsAnError) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  ASSERT_TRUE(stop_ups_service_and_wait());
  const std::string alone = core::testing::temp_directory("host_alone") + "\\orvik_ups.exe";
  ASSERT_TRUE(CopyFileA(host_program().c_str(), alone.c_str(), FALSE));
  const auto run_from = [](const std::string& program) {
    ServiceHandle ups = open_ups_service();
    const std::string quoted = "\"" + program + "\"";
    return ChangeServiceConfigA(ups.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, quoted.c_str(),
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
  };
  ASSERT_TRUE(run_from(alone));
  const std::size_t log_mark = services_log().size();
  ServiceHandle ups = open_ups_service();
  StartServiceW(ups.get(), 0, nullptr);
  EXPECT_TRUE(ups_state_becomes(SERVICE_STOPPED, 30000));
  EXPECT_EQ(ups_status().dwWin32ExitCode, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  ASSERT_TRUE(run_from(host_program()));

  EXPECT_TRUE(eventually([&] { return !traced_entries(since(services_log(), log_mark)).empty(); }, 10000));
  const std::vector<TracedEntry> entries = traced_entries(since(services_log(), log_mark));
  ASSERT_EQ(entries.size(), 1u) << since(services_log(), log_mark);
  EXPECT_EQ(entries[0].kind, "err");
  EXPECT_EQ(entries[0].id, 41u);
  EXPECT_EQ(entries[0].text, "Служба ИБП не запущена: библиотека orvik_dll.dll не загружается (ошибка 126)");
}

TEST_F(EventReporting, UninstallRemovesTheSourceAndTheCommands) {
  ASSERT_NO_FATAL_FAILURE(ensure_monitoring());
  ASSERT_EQ(run_host("/event:05 " + probe("")), 0);
  EXPECT_EQ(run_host("/uninstall"), 0);
  EXPECT_FALSE(platform::open_key(platform::kEventSourceKeyPath, KEY_READ));
  EXPECT_FALSE(platform::open_key(platform::kEventsKeyPath, KEY_READ)) << "gone with the service's key";
}

}  // namespace
}  // namespace service
