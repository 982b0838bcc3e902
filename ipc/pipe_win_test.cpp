// The pipe server in this process and its client in another (ipc_pipe_client), as the service and
// the tray GUI meet.
#include "ipc/pipe_server_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ipc/pipe_client_win.h"
#include "ipc/test_handshake_win.h"
#include "ipc/test_recording_core.h"
#include "platform/test_security_win.h"
#include "platform/test_trace_capture.h"
#include "platform/test_wine_env_win.h"

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
    ASSERT_TRUE(server_->create());
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

TEST_F(PipeTest, TheServiceKeepsTheNameAndOnlySystemAndAdministratorsMayConnect) {
  using namespace platform::testing;
  EXPECT_FALSE(another_process_could_serve(pipe_name_));
  {
    platform::UniqueHandle client = connect_for_reading_the_dacl(pipe_name_);
    ASSERT_TRUE(client);
    const std::vector<AceEntry> expected{
        {"D", kNetworkSid, FILE_ALL_ACCESS}, {"A", kSystemSid, FILE_ALL_ACCESS}, {"A", kAdministratorsSid, FILE_ALL_ACCESS}};
    EXPECT_EQ(dacl_entries(client.get()), expected);
  }
  ASSERT_TRUE(poll_until([&] { return traced("UPS::IPC recreated:1\n"); })) << "the client's leaving was seen";
  EXPECT_FALSE(another_process_could_serve(pipe_name_)) << "the name stays the service's between two clients";
  EXPECT_TRUE(connect_for_reading_the_dacl(pipe_name_)) << "and the next client is served";
}

TEST_F(PipeTest, HeaderOnlyMessageNeedsOneReadAndTwelveByteMessageInTwoWritesTwo) {
  start_client("split");
  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  ASSERT_EQ(server_->try_read(), Result::message);
  EXPECT_EQ(server_->message().cmd, MSG_STAT_RELOAD);
  turns_->signal_next();

  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  for (int poll = 0; poll < 2; ++poll) {
    EXPECT_EQ(server_->try_read(), Result::failed) << "the header is taken, its body has not arrived";
    EXPECT_EQ(server_->last_read_error(), static_cast<DWORD>(ERROR_NO_DATA));
  }
  turns_->signal_next();

  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  ASSERT_EQ(server_->try_read(), Result::message);
  EXPECT_EQ(server_->message().size, 12u);
  EXPECT_EQ(server_->message().cmd, MSG_POWER_ACTION);
  EXPECT_EQ(server_->message().payload_word(), 4u);
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

  EXPECT_TRUE(server_->write(make_pipe_message(MSG_CLOSE)));
  EXPECT_EQ(client_exit_code(), 0) << "the client got one MSG_STAT_FLUSHED and closed on MSG_CLOSE";
}

TEST_F(PipeTest, ClientDropsABrokenConnectionAndConnectsAgain) {
  start_client("survive");
  ASSERT_TRUE(turns_->wait_sent(kTimeoutMs));
  server_->disconnect();
  turns_->signal_next();
  ASSERT_TRUE(server_->create());
  ASSERT_TRUE(client_took_its_turn());
  ASSERT_TRUE(poll_until([&] { return !core_.calls.empty(); }));
  EXPECT_EQ(core_.calls, Calls{"reload"});
  turns_->signal_next();
}

// A tray starting right after another client left finds the pipe not yet listening again; it waits
// for the service's next polling cycle instead of giving up.
TEST_F(PipeTest, AClientArrivingBeforeTheNextListenWaitsForIt) {
  PipeClient first(pipe_name_.c_str());
  ASSERT_TRUE(first.connect());
  server_->poll(core_);
  first.disconnect();
  PipeClient next(pipe_name_.c_str());
  EXPECT_FALSE(next.connect()) << "nothing listens until the service polls";
  std::thread service([&] {
    Sleep(300);
    for (int cycle = 0; cycle < 3; ++cycle, Sleep(100)) server_->poll(core_);
  });
  EXPECT_TRUE(next.connect_within(3000));
  service.join();
}

}  // namespace
}  // namespace ipc
