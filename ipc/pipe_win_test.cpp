// The pipe server in this process and its clients, in another process (ipc_pipe_client) or in this
// one, as the service and the tray GUIs meet.
#include "ipc/pipe_server_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ipc/pipe_client_token_win.h"
#include "ipc/pipe_client_win.h"
#include "ipc/pipe_rights.h"
#include "ipc/test_handshake_win.h"
#include "ipc/test_recording_core.h"
#include "platform/security_win.h"
#include "platform/test_security_win.h"
#include "platform/test_trace_capture.h"
#include "platform/test_wine_env_win.h"
#include "platform/token_rights_win.h"

namespace ipc {
namespace {

using platform::testing::env;
using platform::testing::start_process;
using platform::testing::wait_for_exit;
using platform::testing::wine_path;
using testing::Calls;
using Result = PipeMessageReader::Result;

constexpr DWORD kTimeoutMs = 20000;

// What a process squatting on the name would try: an instance of its own, to receive the trays.
bool another_process_could_serve(const std::string& name) {
  platform::UniqueHandle other(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT,
                                                PIPE_UNLIMITED_INSTANCES, 512, 512, 0, nullptr));
  return other.is_open();
}

platform::UniqueHandle connect_for_reading_the_dacl(const std::string& name) {
  return platform::UniqueHandle(CreateFileA(name.c_str(), GENERIC_READ | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                                            SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
}

// A server instance with a client: peeking succeeds on it, and fails on one that listens.
bool has_client(PipeInstance& instance) {
  DWORD available = 0;
  return instance.is_open() && PeekNamedPipe(instance.handle(), nullptr, 0, nullptr, &available, nullptr);
}

// Wine hands a server its own token when it impersonates a client (its named-pipe code says so);
// Windows hands it the client's.
bool impersonation_gives_the_servers_own_token() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class PipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string id = "OrvikTest_pipe_" + std::to_string(GetCurrentProcessId()) + "_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    pipe_name_ = "\\\\.\\pipe\\" + id;
    prefix_ = id;
    turns_ = std::make_unique<testing::Handshake>(prefix_);
    ASSERT_TRUE(turns_->ready());
    server_ = std::make_unique<PipeServer>(pipe_name_.c_str());
    ASSERT_TRUE(server_->open());
  }
  void TearDown() override {
    if (client_) {
      EXPECT_EQ(wait_for_exit(client_.get(), kTimeoutMs), 0) << "client's exit code";
    }
  }

  void start_client(const std::string& scenario) {
    client_ = start_process(wine_path(env("ORVIK_BIN_DIR")) + "\\ipc_pipe_client.exe " + pipe_name_ + " " + prefix_ +
                            " " + scenario);
    ASSERT_TRUE(client_);
  }
  // The client's exit code, with the server polled as the polling thread would meanwhile.
  long client_exit_code() {
    poll_until([&] { return WaitForSingleObject(client_.get(), 0) == WAIT_OBJECT_0; });
    const long code = wait_for_exit(client_.get(), 0);
    client_.reset();
    return code;
  }
  bool poll_until(const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeoutMs; Sleep(5)) {
      server_->poll(core_);
      if (done()) return true;
    }
    return false;
  }
  // Waits for the client's turn while serving the pipe (a client may need a re-created pipe first).
  bool client_took_its_turn() {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeoutMs; server_->poll(core_))
      if (turns_->wait_sent(5)) return true;
    return false;
  }
  // The instance the one client is connected to.
  PipeInstance* client_instance() {
    for (int i = 0; i < kPipeInstances; ++i)
      if (has_client(server_->instance(i))) return &server_->instance(i);
    return nullptr;
  }
  bool traced(const std::string& line) { return trace_.contains(line); }
  int times_traced(const std::string& line) {
    const std::string all = trace_.joined();
    int times = 0;
    for (auto at = all.find(line); at != std::string::npos; at = all.find(line, at + 1)) ++times;
    return times;
  }

  std::string pipe_name_, prefix_;
  std::unique_ptr<testing::Handshake> turns_;
  std::unique_ptr<PipeServer> server_;
  platform::UniqueHandle client_;
  testing::RecordingCore core_;
  platform::TraceCapture trace_;
};

TEST_F(PipeTest, TheServiceKeepsTheNameAndUsersMayConnectButNeverAddAnInstance) {
  using namespace platform::testing;
  EXPECT_FALSE(another_process_could_serve(pipe_name_));
  {
    platform::UniqueHandle client = connect_for_reading_the_dacl(pipe_name_);
    ASSERT_TRUE(client);
    const std::vector<AceEntry> expected{{"D", kNetworkSid, FILE_ALL_ACCESS},
                                         {"A", kSystemSid, FILE_ALL_ACCESS},
                                         {"A", kAdministratorsSid, FILE_ALL_ACCESS},
                                         {"A", kInteractiveSid, platform::kPipeUserAccess}};
    const auto read_back = dacl_entries(client.get());
    EXPECT_EQ(read_back, expected);
    ASSERT_TRUE(read_back && read_back->size() == 4u);
    EXPECT_EQ(read_back->back().mask & (FILE_CREATE_PIPE_INSTANCE | WRITE_DAC | WRITE_OWNER), 0u)
        << "users never add an instance nor change the pipe's owner or access list";
  }
  ASSERT_TRUE(poll_until([&] { return traced("UPS::IPC recreated:1\n"); })) << "the client's leaving was seen";
  EXPECT_FALSE(another_process_could_serve(pipe_name_)) << "the name stays the service's between two clients";
  EXPECT_TRUE(connect_for_reading_the_dacl(pipe_name_)) << "and the next client is served";
}

TEST_F(PipeTest, HeaderOnlyMessageNeedsOneReadAndTwelveByteMessageInTwoWritesTwo) {
  start_client("split");
  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  PipeInstance* instance = client_instance();
  ASSERT_NE(instance, nullptr);
  ASSERT_EQ(instance->try_read(), Result::message);
  EXPECT_EQ(instance->message().cmd, MSG_STAT_RELOAD);
  turns_->signal_next();

  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  for (int poll = 0; poll < 2; ++poll) {
    EXPECT_EQ(instance->try_read(), Result::failed) << "the header is taken, its body has not arrived";
    EXPECT_EQ(instance->last_read_error(), static_cast<DWORD>(ERROR_NO_DATA));
  }
  turns_->signal_next();

  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  ASSERT_EQ(instance->try_read(), Result::message);
  EXPECT_EQ(instance->message().size, 12u);
  EXPECT_EQ(instance->message().cmd, MSG_POWER_ACTION);
  EXPECT_EQ(instance->message().payload_word(), 4u);
  turns_->signal_next();
}

TEST_F(PipeTest, StatFlushIsAnsweredExactlyOnce) {
  start_client("flush");
  EXPECT_EQ(client_exit_code(), 1) << "MSG_STAT_FLUSHED answers the client received";
  EXPECT_EQ(core_.calls, Calls{"flush"});
  EXPECT_TRUE(traced("UPS::Msg size:8 cmd:4\n"));
}

TEST_F(PipeTest, ClientThatLeftIsReplacedByTheNextOne) {
  for (int client = 1; client <= 2; ++client) {
    SCOPED_TRACE(client);
    start_client("once");
    ASSERT_TRUE(client_took_its_turn());
    ASSERT_TRUE(poll_until([&] { return core_.calls.size() == static_cast<std::size_t>(client); }));
    turns_->signal_next();
    EXPECT_EQ(client_exit_code(), 0);
    EXPECT_TRUE(poll_until([&] { return times_traced("UPS::IPC recreated:1\n") == client; }));
  }
  EXPECT_EQ(core_.calls, (Calls{"reload", "reload"}));
  EXPECT_EQ(times_traced("UPS::IPC recreated:"), 2);
}

TEST_F(PipeTest, SizesOutsideTheBufferAreRejectedAndTheNextClientIsServed) {
  for (const char* size : {"0", "7", "4097", "4294967295"}) {
    SCOPED_TRACE(size);
    const int recreated_before = times_traced("UPS::IPC recreated:1\n");
    start_client(std::string("bad ") + size);
    ASSERT_TRUE(client_took_its_turn());
    ASSERT_TRUE(poll_until([&] { return times_traced("UPS::IPC recreated:1\n") > recreated_before; }));
    EXPECT_TRUE(traced(std::string("UPS::Msg size:") + size + " rejected\n"));
    EXPECT_TRUE(core_.calls.empty()) << "nothing of the rejected bytes was executed";
    turns_->signal_next();

    ASSERT_TRUE(client_took_its_turn());
    ASSERT_TRUE(poll_until([&] { return !core_.calls.empty(); }));
    EXPECT_EQ(core_.calls, Calls{"reload"});
    core_.calls.clear();
    turns_->signal_next();
    EXPECT_EQ(client_exit_code(), 0);
  }
}

TEST_F(PipeTest, EveryCommandOfTheTableCrossesBetweenTheProcesses) {
  start_client("all");
  const Calls expected{"settings", "reload", "flush", "action 5", "send CT\r", "flush", "send T\r",
                       "flush",    "send T05\r", "flush", "send TL\r"};
  ASSERT_TRUE(poll_until([&] { return core_.calls.size() >= expected.size(); }));
  EXPECT_EQ(core_.calls, expected);
  EXPECT_EQ(core_.settings.key_led_mask, 4u) << "LED choice 2";
  EXPECT_EQ(core_.settings.wait_ba_wait, 30u);
  for (const char* line : {"size:55 cmd:1", "size:8 cmd:2", "size:8 cmd:3", "size:8 cmd:4", "size:8 cmd:5",
                           "size:12 cmd:6", "size:8 cmd:7", "size:8 cmd:8", "size:12 cmd:9", "size:8 cmd:10"})
    EXPECT_TRUE(traced(std::string("UPS::Msg ") + line + "\n")) << line;

  PipeInstance* instance = client_instance();
  ASSERT_NE(instance, nullptr);
  EXPECT_TRUE(instance->write(make_pipe_message(MSG_CLOSE)));
  EXPECT_EQ(client_exit_code(), 0) << "the client got its answers, one MSG_STAT_FLUSHED, and closed on MSG_CLOSE";
}

TEST_F(PipeTest, ClientDropsABrokenConnectionAndConnectsAgain) {
  start_client("survive");
  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  server_->close();
  turns_->signal_next();
  ASSERT_TRUE(server_->open());
  ASSERT_TRUE(client_took_its_turn());
  ASSERT_TRUE(poll_until([&] { return !core_.calls.empty(); }));
  EXPECT_EQ(core_.calls, Calls{"reload"});
  turns_->signal_next();
}

// Clients that connect and never let go, one with half a header: each keeps its own instance, and
// the others are served all the same. Only when every instance is taken must a newcomer wait.
TEST_F(PipeTest, AClientThatNeverLetsGoKeepsOneInstanceAndTheOthersAreServed) {
  std::vector<std::unique_ptr<PipeClient>> holders;
  for (int i = 0; i < kPipeInstances; ++i) {
    holders.push_back(std::make_unique<PipeClient>(pipe_name_.c_str()));
    ASSERT_TRUE(holders.back()->connect()) << i;
  }
  PipeClient newcomer(pipe_name_.c_str());
  EXPECT_FALSE(newcomer.connect()) << "every instance is taken";
  EXPECT_EQ(newcomer.last_connect_error(), static_cast<DWORD>(ERROR_PIPE_BUSY));

  // The last holder makes room for one that sends half a header and stops there.
  holders.pop_back();
  ASSERT_TRUE(poll_until([&] { return times_traced("UPS::IPC recreated:1\n") == 1; }));
  platform::UniqueHandle half(CreateFileA(pipe_name_.c_str(), platform::kPipeUserAccess, 0, nullptr, OPEN_EXISTING,
                                          0, nullptr));
  ASSERT_TRUE(half);
  const PipeMessage reload = make_pipe_message(MSG_STAT_RELOAD);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(half.get(), &reload, 4, &written, nullptr));
  for (int cycle = 0; cycle < 3; ++cycle) server_->poll(core_);
  EXPECT_FALSE(newcomer.connect()) << "four held, whatever their holders do";

  holders.front()->disconnect();
  ASSERT_TRUE(poll_until([&] { return times_traced("UPS::IPC recreated:1\n") == 2; }));
  ASSERT_TRUE(newcomer.connect()) << "the instance its holder left listens again at the next poll";
  ASSERT_TRUE(newcomer.write(reload));
  ASSERT_TRUE(poll_until([&] { return !core_.calls.empty(); }));
  EXPECT_EQ(core_.calls, Calls{"reload"}) << "the holders' half header and silence touched no one else";
}

// A process that made the name first: the pipe stays closed, said once, and every poll tries
// again; once the name is free the service has its pipe back without a restart.
TEST_F(PipeTest, ANameHeldByAnotherProcessLeavesTheServerWithoutPipeUntilItIsFree) {
  server_->close();
  start_client("squat");
  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs)) << "the other process holds the name";
  for (int cycle = 0; cycle < 5; ++cycle) server_->poll(core_);
  EXPECT_FALSE(server_->is_open());
  ASSERT_EQ(core_.calls.size(), 1u) << "the outage is said once, not every cycle";
  EXPECT_EQ(core_.calls[0].rfind("pipe unavailable ", 0), 0u) << core_.calls[0];
  PipeClient tray(pipe_name_.c_str());
  EXPECT_FALSE(tray.connect()) << "a client takes no server for the service that is neither it nor started it";
  EXPECT_EQ(tray.last_connect_error(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  turns_->signal_next();
  EXPECT_EQ(client_exit_code(), 0);
  ASSERT_TRUE(poll_until([&] { return server_->is_open(); }));
  EXPECT_TRUE(traced("UPS::IPC available again\n"));
  ASSERT_TRUE(tray.connect());
  ASSERT_TRUE(tray.write(make_pipe_message(MSG_STAT_RELOAD)));
  ASSERT_TRUE(poll_until([&] { return core_.calls.size() == 2; }));
  EXPECT_EQ(core_.calls[1], "reload");
}

// The host keeps the instances while the library's server is closed and opened again (a
// hibernation): nobody can take the name in between, and the next run serves the same instances.
// Whatever a client sent in between is dropped when the next run takes the instances over.
TEST_F(PipeTest, KeptInstancesHoldTheNameBetweenTwoRuns) {
  server_->close();
  PipeKeeper keeper;
  server_->keep_with(&keeper);
  ASSERT_TRUE(server_->open());
  ASSERT_EQ(keeper.count, static_cast<std::uint32_t>(kPipeInstances));
  server_->close();

  EXPECT_FALSE(another_process_could_serve(pipe_name_)) << "between the runs the name is held";
  // Windows lets nobody connect to an instance nobody listens on; Wine's no-wait instances listen
  // by themselves.
  PipeClient early(pipe_name_.c_str());
  const bool early_connected = early.connect() && early.write(make_pipe_message(MSG_STAT_RELOAD));

  PipeServer next_run(pipe_name_.c_str());
  next_run.keep_with(&keeper);
  ASSERT_TRUE(next_run.open());
  for (int cycle = 0; cycle < 3; ++cycle, Sleep(20)) next_run.poll(core_);
  EXPECT_TRUE(core_.calls.empty()) << "nothing sent between the runs is carried out (connected: " << early_connected
                                   << ")";

  PipeClient tray(pipe_name_.c_str());
  ASSERT_TRUE(tray.connect());
  ASSERT_TRUE(tray.write(make_pipe_message(MSG_STAT_RELOAD)));
  for (DWORD start = GetTickCount(); core_.calls.empty() && GetTickCount() - start < kTimeoutMs; Sleep(5))
    next_run.poll(core_);
  EXPECT_EQ(core_.calls, Calls{"reload"});
  next_run.close();
  for (HANDLE kept : keeper.instances) CloseHandle(kept);
}

// A kept handle that is no instance of our pipe any more (closed and its number reused, say): the
// kept instances are let go, and the pipe is made afresh and kept again.
TEST_F(PipeTest, AKeeperWithAnInstanceThatCannotServeIsFilledAfresh) {
  server_->close();
  PipeKeeper keeper;
  server_->keep_with(&keeper);
  ASSERT_TRUE(server_->open());
  server_->close();
  CloseHandle(keeper.instances[kPipeInstances - 1]);
  keeper.instances[kPipeInstances - 1] = CreateEventA(nullptr, TRUE, FALSE, nullptr);

  ASSERT_TRUE(server_->open()) << "the three good ones adopted first must not hold the name against the new pipe";
  EXPECT_TRUE(traced("UPS::kept pipe instance 3 unusable"));
  EXPECT_EQ(keeper.count, static_cast<std::uint32_t>(kPipeInstances));
  PipeClient tray(pipe_name_.c_str());
  ASSERT_TRUE(tray.connect());
  ASSERT_TRUE(tray.write(make_pipe_message(MSG_STAT_RELOAD)));
  ASSERT_TRUE(poll_until([&] { return !core_.calls.empty(); }));
  EXPECT_EQ(core_.calls, Calls{"reload"});
  server_->close();
  for (HANDLE kept : keeper.instances) CloseHandle(kept);
}

// The caller of a request is told by a token, not by what it sends. Under Wine that token is the
// server's own (see impersonation_gives_the_servers_own_token); on Windows it is the client's, here
// an ordinary user's.
TEST_F(PipeTest, TheCallerIsJudgedByTheTokenImpersonationGives) {
  std::thread user([&] {
    platform::testing::LoweredToken lowered;
    ASSERT_TRUE(lowered.impersonate());
    PipeClient tray(pipe_name_.c_str());
    ASSERT_TRUE(tray.connect());
    ASSERT_TRUE(tray.write(make_pipe_message(MSG_STAT_FLUSH)));
    Sleep(500);
  });
  PipeInstance* instance = nullptr;
  for (DWORD start = GetTickCount(); !instance && GetTickCount() - start < kTimeoutMs; Sleep(5)) {
    for (int i = 0; i < kPipeInstances; ++i)
      if (server_->instance(i).try_read() == Result::message) instance = &server_->instance(i);
  }
  ASSERT_NE(instance, nullptr);
  PipeClientToken caller(instance->handle());
  const std::uint32_t expected = impersonation_gives_the_servers_own_token() ? rights_of_this_process() : 0;
  EXPECT_EQ(caller.held_rights(), expected);
  platform::UniqueHandle own;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.receive()));
  EXPECT_EQ(caller.account(), platform::token_account(own.get())) << "the same user either way";
  EXPECT_NE(caller.account().find('\\'), std::string::npos) << "DOMAIN\\name: " << caller.account();
  user.join();
}

}  // namespace
}  // namespace ipc
