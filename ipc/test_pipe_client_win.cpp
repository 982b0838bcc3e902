// Test program: the client end of the pipe in a process of its own, as the tray GUI is.
//   ipc_pipe_client PIPE PREFIX SCENARIO [SIZE]
// Takes turns with the test through the events "<PREFIX>_sent" (a step is done) and
// "<PREFIX>_next" (the test checked it). Scenarios:
//   split     header-only MSG_STAT_RELOAD; then a 12-byte MSG_POWER_ACTION 4 in two writes,
//             its header and later its code (raw writes; one turn each)
//   bad SIZE  a header with size SIZE and garbage behind it (raw); one turn; then on a new
//             connection MSG_STAT_RELOAD; one turn
//   flush     MSG_STAT_FLUSH, then polls for 2 s; the exit code is the number of MSG_STAT_FLUSHED
//   all       every command of the table; then polls until MSG_STAT_FLUSHED came and a MSG_CLOSE
//             closed the client
//   once      MSG_STAT_RELOAD; one turn
//   survive   connects (one turn); after the test closed the server, polls until the client has
//             dropped the broken connection and connected again, sends MSG_STAT_RELOAD; one turn
//   squat     no client at all: tries every 5 ms to make an instance of PIPE of its own, as a
//             process that wants the name would, until it has one (or 60 s passed); one turn, during
//             which it listens again whenever a client has left; then it ends
// Exit codes (besides flush's count): 0 done, 2 bad arguments, 3 no connection, 4 a write
// failed, 5 the test did not answer, 6 the scenario's outcome was not seen.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ipc/pipe_client_win.h"
#include "ipc/settings_message.h"
#include "ipc/test_handshake_win.h"
#include "platform/test_trace_capture.h"

namespace {

using ipc::PipeMessage;
using ipc::make_pipe_message;

constexpr DWORD kConnectTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;

// Exit codes of the steps; kOk lets a scenario go on.
constexpr int kOk = 0;
constexpr int kBadArguments = 2;
constexpr int kNoConnection = 3;
constexpr int kWriteFailed = 4;
constexpr int kNoAnswer = 5;
constexpr int kNotSeen = 6;

class FlushCounter : public ipc::PipeClientEvents {
 public:
  void on_stat_flushed() override { ++count; }
  void on_answer(std::uint32_t, std::uint32_t missing) override {
    ++answers;
    if (missing != 0) ++refusals;
  }
  int count = 0;
  int answers = 0;
  int refusals = 0;
};

// A plain synchronous handle: for the scenarios that write partial or malformed messages.
int connect_raw(const char* pipe, platform::UniqueHandle& handle) {
  for (DWORD waited = 0; waited < kConnectTimeoutMs; waited += kPollMs, Sleep(kPollMs)) {
    handle.reset(CreateFileA(pipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (handle) return kOk;
  }
  return kNoConnection;
}

int write_raw(HANDLE pipe, const void* bytes, DWORD size) {
  DWORD written = 0;
  return WriteFile(pipe, bytes, size, &written, nullptr) && written == size ? kOk : kWriteFailed;
}

int connect(ipc::PipeClient& client) {
  for (DWORD waited = 0; waited < kConnectTimeoutMs; waited += kPollMs, Sleep(kPollMs))
    if (client.connect()) return kOk;
  return kNoConnection;
}

int write(ipc::PipeClient& client, const PipeMessage& message) { return client.write(message) ? kOk : kWriteFailed; }

int take_turn(ipc::testing::Handshake& turns) {
  turns.signal_sent();
  return turns.wait_next() ? kOk : kNoAnswer;
}

int split(const char* pipe, ipc::testing::Handshake& turns) {
  platform::UniqueHandle handle;
  const PipeMessage reload = make_pipe_message(ipc::MSG_STAT_RELOAD);
  const PipeMessage action = make_pipe_message(ipc::MSG_POWER_ACTION, 4);
  int rc = connect_raw(pipe, handle);
  if (rc == kOk) rc = write_raw(handle.get(), &reload, reload.size);
  if (rc == kOk) rc = take_turn(turns);
  if (rc == kOk) rc = write_raw(handle.get(), &action, ipc::kPipeHeaderSize);
  if (rc == kOk) rc = take_turn(turns);
  if (rc == kOk) rc = write_raw(handle.get(), action.payload, action.size - ipc::kPipeHeaderSize);
  if (rc == kOk) rc = take_turn(turns);
  return rc;
}

int bad_size(const char* pipe, std::uint32_t size, ipc::testing::Handshake& turns) {
  PipeMessage garbage = make_pipe_message(ipc::MSG_SETTINGS);
  std::memset(garbage.payload, 0xEE, 16);
  garbage.size = size;
  const PipeMessage reload = make_pipe_message(ipc::MSG_STAT_RELOAD);
  platform::UniqueHandle first;
  platform::UniqueHandle second;
  int rc = connect_raw(pipe, first);
  if (rc == kOk) rc = write_raw(first.get(), &garbage, ipc::kPipeHeaderSize + 16);
  if (rc == kOk) rc = take_turn(turns);
  first.reset();
  if (rc == kOk) rc = connect_raw(pipe, second);
  if (rc == kOk) rc = write_raw(second.get(), &reload, reload.size);
  if (rc == kOk) rc = take_turn(turns);
  return rc;
}

int flush(const char* pipe) {
  ipc::PipeClient client(pipe);
  int rc = connect(client);
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_STAT_FLUSH));
  if (rc != kOk) return rc;
  FlushCounter flushes;
  for (DWORD waited = 0; waited < 2000; waited += kPollMs, Sleep(kPollMs)) client.poll(false, flushes);
  return flushes.count;
}

ipc::SettingsRecord settings_with_led_choice_2() {
  ipc::SettingsRecord record;
  record.key_led_enable = 1;
  record.key_led_num = 2;
  record.wait_ba_wait = 30;
  return record;
}

int write_every_command(ipc::PipeClient& client) {
  int rc = write(client, ipc::to_message(settings_with_led_choice_2()));
  for (std::uint32_t cmd : {ipc::MSG_CLOSE, ipc::MSG_STAT_RELOAD, ipc::MSG_STAT_FLUSH, ipc::MSG_STAT_FLUSHED})
    if (rc == kOk) rc = write(client, make_pipe_message(cmd));
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_POWER_ACTION, 5));
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_TEST_CANCEL));
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_TEST_SHORT));
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_TEST_MINUTES, 5));
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_TEST_UNTIL_LOW));
  return rc;
}

int all(const char* pipe) {
  platform::TraceCapture trace;
  ipc::PipeClient client(pipe);
  int rc = connect(client);
  if (rc == kOk) rc = write_every_command(client);
  if (rc != kOk) return rc;
  FlushCounter flushes;
  for (DWORD waited = 0; client.is_connected() && waited < 20000; waited += kPollMs, Sleep(kPollMs))
    client.poll(false, flushes);
  std::printf("%s", trace.joined().c_str());
  const bool closed = trace.contains("UPS_UI::Msg size:8 cmd:2\n") && trace.contains("UPS_UI::IPC closed by command\n");
  // Settings, reload, the power action and the four tests are answered, all accepted.
  const bool answered = flushes.answers == 7 && flushes.refusals == 0;
  return flushes.count == 1 && answered && closed ? kOk : kNotSeen;
}

int once(const char* pipe, ipc::testing::Handshake& turns) {
  ipc::PipeClient client(pipe);
  int rc = connect(client);
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_STAT_RELOAD));
  if (rc == kOk) rc = take_turn(turns);
  return rc;
}

// Polls as the GUI's timer does until the client has dropped the broken connection and made a new one.
int reconnect_by_polling(ipc::PipeClient& client, const platform::TraceCapture& trace) {
  FlushCounter flushes;
  for (DWORD waited = 0; waited < kConnectTimeoutMs; waited += kPollMs, Sleep(kPollMs)) {
    client.poll(true, flushes);
    if (trace.contains("UPS_UI::IPC connect 1\n")) break;
  }
  std::printf("%s", trace.joined().c_str());
  const bool dropped = trace.contains("UPS_UI::IPC closed by error\n");
  return dropped && client.is_connected() ? kOk : kNotSeen;
}

int survive(const char* pipe, ipc::testing::Handshake& turns) {
  platform::TraceCapture trace;
  ipc::PipeClient client(pipe);
  int rc = connect(client);
  if (rc == kOk) rc = take_turn(turns);
  if (rc == kOk) rc = reconnect_by_polling(client, trace);
  if (rc == kOk) rc = write(client, make_pipe_message(ipc::MSG_STAT_RELOAD));
  if (rc == kOk) rc = take_turn(turns);
  return rc;
}

int squat(const char* pipe, ipc::testing::Handshake& turns) {
  platform::UniqueHandle instance;
  for (DWORD start = GetTickCount(); !instance && GetTickCount() - start < 60000; Sleep(5))
    instance.reset(CreateNamedPipeA(pipe, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, PIPE_UNLIMITED_INSTANCES,
                                    512, 512, 0, nullptr));
  if (!instance) return kNoConnection;
  turns.signal_sent();
  for (DWORD waited = 0; !turns.wait_next(5); waited += 5) {
    if (waited > kConnectTimeoutMs * 6) return kNoAnswer;
    DWORD available = 0;
    const bool client_left =
        !PeekNamedPipe(instance.get(), nullptr, 0, nullptr, &available, nullptr) && GetLastError() == ERROR_BROKEN_PIPE;
    if (client_left) {
      DisconnectNamedPipe(instance.get());
      ConnectNamedPipe(instance.get(), nullptr);
    }
  }
  return kOk;
}

int run(int argc, char** argv) {
  if (argc < 4) return kBadArguments;
  const char* pipe = argv[1];
  ipc::testing::Handshake turns(argv[2]);
  if (!turns.ready()) return kBadArguments;
  const std::string scenario = argv[3];
  if (scenario == "split") return split(pipe, turns);
  if (scenario == "bad" && argc == 5) return bad_size(pipe, std::strtoul(argv[4], nullptr, 0), turns);
  if (scenario == "flush") return flush(pipe);
  if (scenario == "all") return all(pipe);
  if (scenario == "once") return once(pipe, turns);
  if (scenario == "survive") return survive(pipe, turns);
  if (scenario == "squat") return squat(pipe, turns);
  return kBadArguments;
}

}  // namespace

int main(int argc, char** argv) { return run(argc, argv); }
