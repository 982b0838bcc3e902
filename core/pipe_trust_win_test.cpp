// Who may ask what of the running core over its pipe, end to end against the simulated UPS: the
// requests of an ordinary user (a token lowered as one: the Administrators group for deny only,
// the shutdown privilege deleted) are refused with a trace line and an event line naming the
// account, and nothing of them reaches the UPS; an administrator's are carried out. A pipe name that
// another process took first, or takes in a loop while the monitoring restarts, costs the
// monitoring nothing, and the pipe comes back once the name is free.
//
// Under Wine a server that impersonates its client gets its own token back: Wine's pipes do not
// carry the client's. Where that is so, the core runs in a process of its own with the lowered
// token, standing in for the lowered client; on Windows the client's own token is the one judged.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "core/test_minidriver_fixture_win.h"
#include "ipc/pipe_client_token_win.h"
#include "ipc/pipe_client_win.h"
#include "ipc/pipe_keeper_win.h"
#include "ipc/pipe_rights.h"
#include "ipc/settings_message.h"
#include "ipc/test_squatter_win.h"
#include "platform/security_win.h"
#include "platform/test_security_win.h"
#include "platform/token_rights_win.h"
#include "setup/setup_export.h"
#include "stats/windows1251.h"

namespace core {
namespace {

using namespace core::testing;
using ipc::testing::Squatter;
using platform::testing::LoweredToken;

constexpr DWORD kAnswerLimitMs = 5000;

bool impersonation_gives_the_servers_own_token() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string bin_dir() { return platform::testing::wine_path(platform::testing::env("ORVIK_BIN_DIR")); }

std::string own_account() {
  platform::UniqueHandle token;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.receive());
  return platform::token_account(token.get());
}

// The service's answers as a client takes them.
class Answers final : public ipc::PipeClientEvents {
 public:
  void on_stat_flushed() override { flushed = true; }
  void on_answer(std::uint32_t cmd, std::uint32_t missing) override { answers.push_back({cmd, missing}); }
  bool flushed = false;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> answers;
};

// Sends `message` and returns the rights the service found missing; nullopt without an answer.
std::optional<std::uint32_t> ask(ipc::PipeClient& client, const ipc::PipeMessage& message) {
  if (!client.write(message)) return std::nullopt;
  Answers answers;
  for (DWORD start = GetTickCount(); GetTickCount() - start < kAnswerLimitMs; Sleep(20)) {
    client.poll(false, answers);
    for (const auto& [cmd, missing] : answers.answers)
      if (cmd == message.cmd) return missing;
  }
  return std::nullopt;
}

// orvik_ups with `arguments`, as `user` when given; its exit code and what it wrote to stderr.
struct HostRun {
  long exit_code = -2;
  std::string error_output;
};

HostRun run_orvik_ups(const std::string& arguments, const LoweredToken* user) {
  char temp[MAX_PATH], file[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetTempFileNameA(temp, "err", 0, file);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HostRun run;
  {
    platform::UniqueHandle output(
        CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr));
    const std::string line = "\"" + bin_dir() + "\\orvik_ups.exe\" " + arguments;
    platform::UniqueHandle host;
    if (user) {
      host = platform::testing::start_process_as(*user, line, output.get());
    } else {
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = startup.hStdError = output.get();
      PROCESS_INFORMATION info{};
      std::string mutable_line = line;
      if (CreateProcessA(nullptr, mutable_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        host.reset(info.hProcess);
      }
    }
    if (!host) return run;
    run.exit_code = platform::testing::wait_for_exit(host.get(), 60000);
  }
  run.error_output = read_file(file);
  DeleteFileA(file);
  return run;
}

// The core in a process of its own (core_host), as `user` when given; with `client_switch`, the
// host also runs "orvik_ups <client_switch>" as an ordinary user, which trusts it as its starter.
// An ordinary user's process writes its trace to a file of the configured name in its own
// temporary folder.
class CoreHostProcess {
 public:
  CoreHostProcess(const LoweredToken* user, const CoreOutput& output, const std::string& client_switch)
      : stop_name_("OrvikTest_core_host_" + std::to_string(GetCurrentProcessId())),
        stop_(CreateEventA(nullptr, TRUE, FALSE, stop_name_.c_str())),
        client_output_(output.dir() + "\\client_output.txt"),
        trace_file_(user ? own_temporary_folder() + file_name(output.trace_file()) : output.trace_file()) {
    trace_mark_ = trace().size();
    const std::string line =
        "\"" + bin_dir() + "\\core_host.exe\" " + stop_name_ + " \"" + client_output_ + "\" " + client_switch;
    process_ = user ? platform::testing::start_process_as(*user, line) : platform::testing::start_process(line);
    const auto monitoring = [&] { return new_trace().find("UPS::UPSInit(void)==UPS_INITOK\n") != std::string::npos; };
    started_ = process_ && eventually(monitoring, 20000);
  }
  ~CoreHostProcess() {
    SetEvent(stop_.get());
    if (process_ && platform::testing::wait_for_exit(process_.get(), 20000) == -1) TerminateProcess(process_.get(), 9);
  }
  bool started() const { return started_; }
  // Stops the core; the client's exit code.
  long stop() {
    SetEvent(stop_.get());
    return platform::testing::wait_for_exit(process_.get(), 60000);
  }
  std::string client_output() const { return read_file(client_output_); }
  std::string trace() const { return read_file(trace_file_); }
  // What the core traced since this object started it.
  std::string new_trace() const { return since(trace(), trace_mark_); }

 private:
  static std::string own_temporary_folder() {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return folder;
  }
  static std::string file_name(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

  std::string stop_name_;
  platform::UniqueHandle stop_;
  std::string client_output_;
  std::string trace_file_;
  std::size_t trace_mark_ = 0;
  platform::UniqueHandle process_;
  bool started_ = false;
};

// A client without the check of who serves the pipe (ipc::PipeClient makes it): the core in a
// test's own process is not the service. Synchronous, as the service's side does not care.
class RawClient {
 public:
  RawClient()
      : pipe_(CreateFileA(ipc::kPipeName, platform::kPipeUserAccess, 0, nullptr, OPEN_EXISTING,
                          SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr)) {}
  bool connected() const { return pipe_.is_open(); }
  // The rights the service found missing; nullopt without an answer.
  std::optional<std::uint32_t> ask(const ipc::PipeMessage& message) {
    DWORD count = 0;
    if (!WriteFile(pipe_.get(), &message, message.size, &count, nullptr)) return std::nullopt;
    ipc::PipeMessage answer;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kAnswerLimitMs; Sleep(20)) {
      DWORD available = 0;
      if (!PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
      if (available < ipc::kPipeAnswerSize) continue;
      if (!ReadFile(pipe_.get(), &answer, ipc::kPipeAnswerSize, &count, nullptr)) return std::nullopt;
      if (answer.cmd == ipc::MSG_ANSWER && answer.payload_word(0) == message.cmd) return answer.payload_word(1);
    }
    return std::nullopt;
  }

 private:
  platform::UniqueHandle pipe_;
};

class PipeTrust : public MinidriverHostTest {
 protected:
  static void SetUpTestSuite() { set_up_host("orvik_pipe_trust"); }

  void SetUp() override {
    config_.set_dword("PowerActionTestMode", 1);  // should anything get through, nothing powers off
    events_mark_ = output_->events().size();
    trace_mark_ = output_->trace().size();
  }
  void TearDown() override {
    if (setup_) setup_(installation::kKeepPipe, 0);
    MinidriverHostTest::TearDown();
  }

  std::string new_events() const { return since(output_->events(), events_mark_); }
  std::string new_trace() const { return since(output_->trace(), trace_mark_); }
  static int count(const std::string& text, const std::string& what) {
    return static_cast<int>(simulator::count(text, what));
  }
  bool pipe_unavailable_recorded() const {
    return CoreOutput::has_event(new_events(), 34, "Канал управления службой недоступен (ошибка 5), мониторинг "
                                                   "продолжается без него\n");
  }
  bool link_published() { return eventually([&] { return block_->link_ok != 0; }, 5000); }
  // A client is served again: its flush is answered.
  static bool pipe_serves() {
    ipc::PipeClient tray;
    if (!tray.connect_within(3000) || !tray.write(ipc::make_pipe_message(ipc::MSG_STAT_FLUSH))) return false;
    Answers answers;
    for (DWORD start = GetTickCount(); !answers.flushed && GetTickCount() - start < kAnswerLimitMs; Sleep(20))
      tray.poll(false, answers);
    return answers.flushed;
  }
  void keep_pipe_with(ipc::PipeKeeper* keeper) {
    if (!setup_) setup_ = platform::find_system_function<SetupFunction>(library_, "setup");
    ASSERT_NE(setup_, nullptr);
    setup_(installation::kKeepPipe, reinterpret_cast<ULONG_PTR>(keeper));
  }

  ConfigOverride config_;
  std::size_t events_mark_ = 0, trace_mark_ = 0;
  SetupFunction setup_ = nullptr;
};

TEST_F(PipeTrust, AnOrdinaryUsersRequestsAreRefusedWithTraceAndEventAndNothingReachesTheUps) {
  LoweredToken user;
  ASSERT_NE(user.primary(), nullptr);
  CoreHostProcess host(impersonation_gives_the_servers_own_token() ? &user : nullptr, *output_, "/shutdownUPS");
  ASSERT_TRUE(host.started()) << host.new_trace();
  const std::size_t mark = simulator::received().size();
  ASSERT_TRUE(block_.attach());

  ipc::SettingsRecord beeper_on;
  beeper_on.signal_enable = 1;
  struct Case {
    ipc::PipeMessage message;
    std::uint32_t missing;
  };
  const Case cases[] = {
      {ipc::make_pipe_message(ipc::MSG_POWER_ACTION, 0), ipc::kAllRights},  // power off and the UPS off
      {ipc::make_pipe_message(ipc::MSG_POWER_ACTION, 3), ipc::kRightShutdown},  // standby
      {ipc::make_pipe_message(ipc::MSG_TEST_SHORT), ipc::kRightAdministrators},
      {ipc::make_pipe_message(ipc::MSG_TEST_MINUTES, 5), ipc::kRightAdministrators},
      {ipc::make_pipe_message(ipc::MSG_BLOCK_TURN_OFF, 1), ipc::kRightAdministrators},
      {ipc::make_pipe_message(ipc::MSG_BLOCK_ACTION, 1), ipc::kRightAdministrators},
      {ipc::to_message(beeper_on), ipc::kRightAdministrators},
      {ipc::make_pipe_message(ipc::MSG_STAT_RELOAD), ipc::kRightAdministrators},
  };
  {
    LoweredToken acting_user;
    ASSERT_TRUE(acting_user.impersonate());
    RawClient client;
    ASSERT_TRUE(client.connected()) << "users may connect";
    for (const Case& c : cases)
      EXPECT_EQ(client.ask(c.message), std::optional<std::uint32_t>(c.missing)) << c.message.cmd;
  }
  Sleep(2500);  // two more cycles: anything let through would have reached the UPS by now
  EXPECT_EQ(block_->turn_off_blocked, 0u);
  EXPECT_EQ(block_->action_blocked, 0u);
  block_.detach();
  EXPECT_EQ(host.stop(), 1) << "orvik_ups /shutdownUPS was refused";
  EXPECT_EQ(host.client_output(), ipc::refusal_text(ipc::kAllRights) + "\n");

  EXPECT_EQ(simulator::commands_since(mark), "") << "no test, no turn-off, no beeper toggle";
  const std::string events = new_events();
  EXPECT_EQ(count(events, "|33|"), 9) << events;
  const std::string account = own_account();
  EXPECT_TRUE(CoreOutput::has_event(events, 33, ("Запрос к службе отклонён: " + account +
                                                 ", команда 6, нет прав: права администратора и право завершения "
                                                 "работы\n").c_str()))
      << events;
  EXPECT_TRUE(CoreOutput::has_event(
      events, 33, ("Запрос к службе отклонён: " + account + ", команда 12, нет прав: права администратора\n").c_str()));
  EXPECT_EQ(events.find(stats::utf8_to_windows1251("Командное выключение")), std::string::npos) << "no power action";
  EXPECT_EQ(count(events, "|30|"), 0) << "not even rehearsed";
  EXPECT_EQ(count(host.new_trace(), "UPS::request cmd:"), 9);
  EXPECT_NE(host.new_trace().find("UPS::request cmd:8 from " + account + " refused: lacks 2\n"), std::string::npos);
}

TEST_F(PipeTrust, AnAdministratorsRequestsAreCarriedOut) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(link_published());
  ipc::PipeClient client;
  ASSERT_TRUE(client.connect_within(3000));
  const std::size_t mark = simulator::received().size();

  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_BLOCK_TURN_OFF, 1)), std::optional<std::uint32_t>(0));
  EXPECT_EQ(block_->turn_off_blocked, 1u) << "set by the service in its block";
  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_BLOCK_ACTION, 1)), std::optional<std::uint32_t>(0));
  EXPECT_EQ(block_->action_blocked, 1u);
  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_BLOCK_TURN_OFF, 0)), std::optional<std::uint32_t>(0));
  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_BLOCK_ACTION, 0)), std::optional<std::uint32_t>(0));
  EXPECT_EQ(block_->turn_off_blocked, 0u);
  EXPECT_EQ(block_->action_blocked, 0u);
  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_TEST_SHORT)), std::optional<std::uint32_t>(0));
  EXPECT_EQ(ask(client, ipc::make_pipe_message(ipc::MSG_TEST_CANCEL)), std::optional<std::uint32_t>(0));
  EXPECT_TRUE(eventually([&] { return simulator::commands_since(mark) == "T\rCT\r"; }, 4000))
      << simulator::commands_since(mark);

  const HostRun suspend = run_orvik_ups("/suspend", nullptr);
  EXPECT_EQ(suspend.exit_code, 0);
  EXPECT_EQ(suspend.error_output, "");
  EXPECT_TRUE(eventually([&] { return CoreOutput::has_event(new_events(), 24, "Командное выключение (4)\n"); }, 4000));
  EXPECT_TRUE(eventually([&] { return count(new_events(), "|30|") == 1; }, 4000)) << "rehearsed, in test mode";
  EXPECT_EQ(count(new_events(), "|33|"), 0);
  stop();
}

TEST_F(PipeTrust, APipeNameTakenBeforeTheStartCostsTheMonitoringNothingAndComesBack) {
  Squatter squatter;
  ASSERT_TRUE(squatter.holds_the_name(10000));
  ASSERT_TRUE(start()) << "a pipe that cannot be had stops nothing";
  EXPECT_TRUE(link_published());
  EXPECT_NE(new_trace().find(" UPS::UPSc.create() - error 5: monitoring goes on without it\n"), std::string::npos)
      << new_trace();
  EXPECT_TRUE(eventually([&] { return pipe_unavailable_recorded(); }, 4000)) << new_events();

  ipc::PipeClient tray;
  EXPECT_FALSE(tray.connect()) << "the squatter's instance is not the service";
  EXPECT_EQ(tray.last_connect_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  const HostRun suspend = run_orvik_ups("/suspend", nullptr);
  EXPECT_EQ(suspend.exit_code, 1);
  EXPECT_EQ(suspend.error_output, "Канал управления службы ИБП занят другой программой: запрос не передан.\n");
  Sleep(2500);
  EXPECT_EQ(count(new_events(), "|34|"), 1) << "said once, tried every cycle";

  EXPECT_EQ(squatter.leave(), 0);
  EXPECT_TRUE(eventually([&] { return new_trace().find("UPS::IPC available again\n") != std::string::npos; }, 4000));
  EXPECT_TRUE(pipe_serves()) << "without a restart";
  EXPECT_TRUE(link_published());
  stop();
}

// A process that keeps creating the name while the monitoring stops and starts again (a
// hibernation at the critical point): without a keeper the name is free between the two runs and
// the squatter wins it, and the monitoring runs on all the same; with the host's keeper the name
// stays the service's.
TEST_F(PipeTrust, ASquatterLoopingAcrossARestartWinsTheNameOnlyWhereNobodyKeepsIt) {
  ASSERT_TRUE(start());
  Squatter squatter;
  EXPECT_FALSE(squatter.holds_the_name(1000)) << "all of the running core's instances are its own";
  stop();
  ASSERT_TRUE(squatter.holds_the_name(10000)) << "between two runs the name was free";
  ASSERT_TRUE(start());
  EXPECT_TRUE(link_published());
  EXPECT_TRUE(eventually([&] { return pipe_unavailable_recorded(); }, 4000)) << new_events();
  EXPECT_EQ(squatter.leave(), 0);
  EXPECT_TRUE(pipe_serves());
  stop();

  ipc::PipeKeeper keeper;
  keep_pipe_with(&keeper);
  ASSERT_TRUE(start());
  EXPECT_EQ(keeper.count, static_cast<std::uint32_t>(ipc::kPipeInstances));
  events_mark_ = output_->events().size();
  Squatter keeps_trying;
  stop();
  EXPECT_FALSE(keeps_trying.holds_the_name(1500)) << "the keeper holds the name between the runs";
  keep_pipe_with(&keeper);
  ASSERT_TRUE(start());
  EXPECT_TRUE(link_published());
  EXPECT_TRUE(pipe_serves()) << "the kept instances serve the next run";
  EXPECT_FALSE(keeps_trying.holds_the_name(0));
  EXPECT_EQ(count(new_events(), "|34|"), 0);
  stop();
  keep_pipe_with(nullptr);
  for (HANDLE kept : keeper.instances) CloseHandle(kept);
}

}  // namespace
}  // namespace core
