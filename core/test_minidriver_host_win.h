// Test and benchmark helper: a host of the six minidriver exports, as the service host is one —
// the library loaded by name, the exports bound by name — with the UPS simulator of
// tools/wine/run_test.sh on COM1, and readers of everything the running core leaves behind: the
// shared block, the event file, the debug trace, the bytes the UPS received and the simulator's
// own state. The GoogleTest fixture over it is test_minidriver_fixture_win.h.
//
// Single-threaded except where a caller starts a waiting thread of its own.
#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/test_service_registry_win.h"
#include "core/ups_state.h"
#include "core/minidriver_exports_win.h"
#include "ipc/shared_block.h"
#include "platform/shared_memory_win.h"
#include "platform/test_wine_env_win.h"
#include "stats/windows1251.h"

namespace core::testing {

using core::MinidriverExports;

// The library as the service host loads it: "orvik_dll.dll" beside the test program.
inline HMODULE load_driver_library() {
  const std::string directory = platform::testing::wine_path(platform::testing::env("ORVIK_BIN_DIR"));
  return LoadLibraryA((directory + "\\orvik_dll.dll").c_str());
}

// The simulator's control, record and state files (tools/upssim/README.md).
namespace simulator {

// Runs command-language lines ("mains off", "battery 11.0", ...), several at once when joined
// with "\n"; returns once the simulator has had time to read them (it polls every 50 ms).
inline void command(const std::string& lines) {
  {
    std::ofstream control(platform::testing::wine_path(platform::testing::env("ORVIK_SIM_CONTROL")),
                          std::ios::app | std::ios::binary);
    control << lines << "\n";
  }
  Sleep(200);
}

// Every byte the UPS received since the simulator started.
inline std::string received() {
  return read_file(platform::testing::wine_path(platform::testing::env("ORVIK_SIM_RECORD")));
}

// What the UPS received after `mark` (a size of received()), without the status queries of the
// polling, which would otherwise hide the commands between them.
inline std::string commands_since(std::size_t mark) {
  std::string all = received();
  std::string bytes = mark < all.size() ? all.substr(mark) : std::string();
  for (std::size_t at; (at = bytes.find("Q1\r")) != std::string::npos;) bytes.erase(at, 3);
  return bytes;
}

inline std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// One value of the simulator's state line ("mains", "beeper", "test", "shutdown_pending", ...).
inline std::string state(const std::string& key) {
  const std::string line = read_file(platform::testing::wine_path(platform::testing::env("ORVIK_SIM_STATE")));
  const std::string prefix = key + "=";
  for (std::size_t at = line.find(prefix); at != std::string::npos; at = line.find(prefix, at + 1)) {
    if (at != 0 && line[at - 1] != ' ') continue;
    const std::size_t begin = at + prefix.size();
    return line.substr(begin, line.find_first_of(" \n", begin) - begin);
  }
  return "";
}

}  // namespace simulator

// Polls `condition` every 50 ms for at most `limit_ms`; true as soon as it holds.
inline bool eventually(const std::function<bool()>& condition, DWORD limit_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= limit_ms) return false;
    Sleep(50);
  }
}

namespace simulator {

// Runs command-language lines and waits until the simulator's state shows them taken (`taken`),
// for tests that must not race a loaded simulator; false when it never does.
inline bool command_applied(const std::string& lines, const std::function<bool()>& taken) {
  command(lines);
  return eventually(taken, 10000);
}

}  // namespace simulator

// The shared block as an administrator's process sees it: read, and written with requests as
// SYSTEM and administrators may (the setup's requests, or a test standing in for them).
class BlockView {
 public:
  bool attach() {
    if (!platform::attach_shared_memory_writable(memory_, ipc::kSharedBlockBaseName, ipc::kSharedBlockSize))
      return false;
    block_ = static_cast<ipc::UpsSharedBlock*>(memory_.data());
    return true;
  }
  void detach() {
    memory_ = platform::SharedMemory{};
    block_ = nullptr;
  }
  ipc::UpsSharedBlock* operator->() const { return block_; }
  ipc::UpsSharedBlock* get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  platform::SharedMemory memory_;
  ipc::UpsSharedBlock* block_ = nullptr;
};

// Config values changed for one test and put back as they were (or removed) at its end, so the
// next test starts from the installation's values.
class ConfigOverride {
 public:
  ConfigOverride() : key_(create_key(platform::kConfigKeyPath)) {}
  ConfigOverride(const ConfigOverride&) = delete;
  ConfigOverride& operator=(const ConfigOverride&) = delete;
  ~ConfigOverride() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->existed)
        RegSetValueExA(key_.get(), it->name.c_str(), 0, it->type, it->data.data(), static_cast<DWORD>(it->data.size()));
      else
        RegDeleteValueA(key_.get(), it->name.c_str());
    }
  }

  void set_dword(const char* name, DWORD value) {
    save(name);
    platform::write_dword_value(key_.get(), name, value);
  }
  void set_string(const char* name, const char* value) {
    save(name);
    platform::write_string_value(key_.get(), name, value);
  }

 private:
  struct Saved {
    std::string name;
    bool existed = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };

  void save(const char* name) {
    for (const Saved& s : saved_)
      if (s.name == name) return;
    Saved s;
    s.name = name;
    DWORD size = 0;
    if (RegQueryValueExA(key_.get(), name, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
      s.data.resize(size);
      s.existed = RegQueryValueExA(key_.get(), name, nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
    }
    saved_.push_back(std::move(s));
  }

  platform::UniqueKey key_;
  std::vector<Saved> saved_;
};

// The day's event file and debug trace of a core whose statistics and trace go to a directory
// of the test's own.
class CoreOutput {
 public:
  explicit CoreOutput(const char* name) : dir_(temp_directory(name)), trace_file_(dir_ + "\\trace.txt") {}

  const std::string& dir() const { return dir_; }
  const std::string& trace_file() const { return trace_file_; }

  std::string trace() const { return read_file(trace_file_); }

  std::string events() const {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return read_file(dir_ + "\\" + std::to_string(now.wYear) + "\\" + std::to_string(now.wMonth) + "\\" +
                     std::to_string(now.wDay) + "_log.dat");
  }

  // An event line with `code` and `utf8_text` (stored as Windows-1251) in `events`.
  static bool has_event(const std::string& events, int code, const char* utf8_text) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "|%02d|", code);
    return events.find(prefix + stats::utf8_to_windows1251(utf8_text)) != std::string::npos;
  }

 private:
  std::string dir_;
  std::string trace_file_;
};

// The tail of `text` from `mark` on (for files that only grow).
inline std::string since(const std::string& text, std::size_t mark) {
  return mark < text.size() ? text.substr(mark) : std::string();
}

// A host thread blocked in UPSWaitForStateChange, for tests that must see that a wait has not
// returned yet.
class WaitingHost {
 public:
  WaitingHost(const MinidriverExports& exports, DWORD state, DWORD limit_ms)
      : args_{exports.wait, state, limit_ms, 0} {
    started_ = GetTickCount();
    thread_ = CreateThread(nullptr, 0, run, &args_, 0, nullptr);
  }
  WaitingHost(const WaitingHost&) = delete;
  WaitingHost& operator=(const WaitingHost&) = delete;
  ~WaitingHost() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }

  bool started() const { return thread_ != nullptr; }
  // True when the wait returned within `ms`.
  bool returns_within(DWORD ms) { return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }
  // Milliseconds from the call to its return; valid once it returned.
  DWORD elapsed_ms() const { return args_.returned - started_; }

 private:
  struct Args {
    void(WINAPI* wait)(DWORD, DWORD);
    DWORD state;
    DWORD limit_ms;
    DWORD returned;
  };
  static DWORD WINAPI run(void* parameter) {
    Args* args = static_cast<Args*>(parameter);
    args->wait(args->state, args->limit_ms);
    args->returned = GetTickCount();
    return 0;
  }

  Args args_;
  DWORD started_ = 0;
  HANDLE thread_ = nullptr;
};

}  // namespace core::testing
