// Test helper: two named auto-reset events by which a test and its second process take turns
// ("<prefix>_sent": the helper did its step; "<prefix>_next": the test checked it).
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles_win.h"

namespace ipc::testing {

class Handshake {
 public:
  explicit Handshake(const std::string& prefix)
      : sent_(CreateEventA(nullptr, FALSE, FALSE, (prefix + "_sent").c_str())),
        next_(CreateEventA(nullptr, FALSE, FALSE, (prefix + "_next").c_str())) {}

  bool ready() const { return sent_.is_open() && next_.is_open(); }
  void signal_sent() { SetEvent(sent_.get()); }
  void signal_next() { SetEvent(next_.get()); }
  bool wait_sent(DWORD ms = 20000) { return WaitForSingleObject(sent_.get(), ms) == WAIT_OBJECT_0; }
  bool wait_next(DWORD ms = 20000) { return WaitForSingleObject(next_.get(), ms) == WAIT_OBJECT_0; }

 private:
  platform::UniqueHandle sent_;
  platform::UniqueHandle next_;
};

}  // namespace ipc::testing
