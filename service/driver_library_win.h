// The driver library "orvik_dll.dll" in this process: the command-line modes' handle on its
// `setup`, `runGUI` and `runSheet` exports, and the monitoring loop's DriverLibrary.
#pragma once

#include <windows.h>

#include <mutex>

#include "core/minidriver_exports_win.h"
#include "ipc/pipe_keeper_win.h"
#include "service/driver_library.h"
#include "setup/setup_export.h"

namespace service {

// Loaded from this program's own folder, by its full path.
inline constexpr wchar_t kLibraryFile[] = L"orvik_dll.dll";

// The library for one command-line operation, loaded for the life of the object. A missing
// library is logged ("Error load dll\n"); a missing export leaves its pointer null.
class LibraryExports {
 public:
  LibraryExports();
  ~LibraryExports();
  LibraryExports(const LibraryExports&) = delete;
  LibraryExports& operator=(const LibraryExports&) = delete;

  bool loaded() const { return module_ != nullptr; }
  SetupFunction setup() const { return setup_; }
  using RunGuiFunction = int(WINAPI*)();
  RunGuiFunction run_gui() const { return run_gui_; }
  using RunSheetFunction = int(WINAPI*)(DWORD);
  RunSheetFunction run_sheet() const { return run_sheet_; }

 private:
  HMODULE module_ = nullptr;
  SetupFunction setup_ = nullptr;
  RunGuiFunction run_gui_ = nullptr;
  RunSheetFunction run_sheet_ = nullptr;
};

// The monitoring loop's library. The loop's thread loads, binds, calls and unloads; the control
// handler's thread may at any time cancel the wait or forward the end of the session, which the
// lock keeps from meeting an unload half-way. The pipe's instances are kept here, so that the
// service holds its name for the whole life of the process, across the library's unloads.
class LoadedDriverLibrary final : public DriverLibrary {
 public:
  ~LoadedDriverLibrary() override { unload(); }

  bool load() override;
  std::uint32_t load_error() override { return load_error_; }
  bool bind() override;
  void unload() override;

  std::uint32_t init() override;
  void stop() override { functions_.stop(); }
  std::uint32_t get_state() override { return functions_.get_state(); }
  void wait_for_state_change(std::uint32_t state, std::uint32_t limit_ms) override {
    functions_.wait(state, limit_ms);
  }
  void cancel_wait() override;
  void turn_off(std::uint32_t delay_s) override { functions_.turn_off(delay_s); }
  void record_event(std::uint32_t code, const char* text) override;
  void hold_server_session() override { setup_(installation::kHoldNetworkSession, 0); }
  void end_server_session() override { setup_(installation::kEndNetworkSession, 0); }
  void let_network_clients_go_first() override;

  // `setup` command 6, synchronously; nothing while the library is not bound.
  void forward_end_session();
  // Lets the pipe's name go once the monitoring has ended for good and the library no longer
  // serves it: a service started again at once then finds it free.
  void release_pipe() { ipc::release_kept_instances(pipe_keeper_); }

 private:
  std::mutex mutex_;
  HMODULE module_ = nullptr;
  DWORD load_error_ = 0;
  // Written under the lock by the loop's thread, which alone reads them without it.
  core::MinidriverExports functions_;
  SetupFunction setup_ = nullptr;
  ipc::PipeKeeper pipe_keeper_;
};

}  // namespace service
