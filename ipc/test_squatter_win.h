// Test helper: a process that wants the pipe's name, as a user's program might (ipc_pipe_client's
// "squat", started from ORVIK_BIN_DIR): it tries every 5 ms until it has an instance of its own,
// and listens on it until it is told to leave.
#pragma once

#include <windows.h>

#include <string>

#include "ipc/pipe_message.h"
#include "ipc/test_handshake_win.h"
#include "platform/handles_win.h"
#include "platform/test_wine_env_win.h"

namespace ipc::testing {

class Squatter {
 public:
  explicit Squatter(const std::string& pipe_name = kPipeName)
      : prefix_("OrvikTest_squatter_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count_)),
        turns_(prefix_) {
    const std::string program =
        platform::testing::wine_path(platform::testing::env("ORVIK_BIN_DIR")) + "\\ipc_pipe_client.exe";
    process_ = platform::testing::start_process("\"" + program + "\" " + pipe_name + " " + prefix_ + " squat");
  }
  ~Squatter() {
    if (process_ && platform::testing::wait_for_exit(process_.get(), 0) == -1) TerminateProcess(process_.get(), 9);
  }
  Squatter(const Squatter&) = delete;
  Squatter& operator=(const Squatter&) = delete;

  // True once it has an instance of the name, within `limit_ms`.
  bool holds_the_name(DWORD limit_ms) { return process_ && turns_.wait_sent(limit_ms); }
  // Lets go of the name; its exit code (0 when it had held it).
  long leave() {
    turns_.signal_next();
    return platform::testing::wait_for_exit(process_.get(), 10000);
  }

 private:
  static inline int count_ = 0;
  std::string prefix_;
  Handshake turns_;
  platform::UniqueHandle process_;
};

}  // namespace ipc::testing
