// Test helper: the GoogleTest fixture of the Windows tests that host the monitoring core (the
// helpers it uses are in test_minidriver_host_win.h).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "core/test_minidriver_host_win.h"

namespace core::testing {

// A test suite that hosts the core: the library is loaded once per program; each test starts and
// stops the monitoring itself, and a test that fails half-way still leaves it stopped and the
// simulated UPS back on mains for the next one.
class MinidriverHostTest : public ::testing::Test {
 protected:
  // For the suite's SetUpTestSuite: the installation's keys (statistics and trace into a directory
  // named after `name`) and the library.
  static void set_up_host(const char* name) {
    output_ = new CoreOutput(name);
    install_service_keys("COM1", output_->dir(), output_->trace_file());
    library_ = load_driver_library();
    ASSERT_NE(library_, nullptr) << GetLastError();
    ASSERT_TRUE(exports_.bind(library_));
  }

  void TearDown() override {
    if (running_) stop();
    simulator::command("silence off\nlowbat off\nmains on\ninput 230\njitter on");
  }

  // UPSInit, then the block as the tray sees it.
  bool start() {
    if (exports_.init() != UPS_INITOK) return false;
    running_ = true;
    return block_.attach();
  }
  void stop() {
    block_.detach();
    exports_.stop();
    running_ = false;
  }

  static inline HMODULE library_ = nullptr;
  static inline MinidriverExports exports_;
  static inline CoreOutput* output_ = nullptr;
  BlockView block_;
  bool running_ = false;
};

}  // namespace core::testing
