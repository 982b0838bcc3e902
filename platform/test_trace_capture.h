// Test helper: collects every debug_trace text while it is alive. Captures nest: the innermost
// one collects, and the one around it resumes when it ends.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_trace.h"

namespace platform {

class TraceCapture {
 public:
  TraceCapture() {
    std::lock_guard lock(mutex());
    outer_ = current();
    current() = this;
    previous_sink_ = set_trace_sink(&TraceCapture::collect);
  }
  ~TraceCapture() {
    std::lock_guard lock(mutex());
    current() = outer_;
    set_trace_sink(previous_sink_);
  }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  // Every text in order, as the code passed it (one debug_trace call each).
  std::vector<std::string> texts() const {
    std::lock_guard lock(mutex());
    return texts_;
  }
  // All texts joined: what a debugger would show.
  std::string joined() const {
    std::string all;
    for (const auto& t : texts()) all += t;
    return all;
  }
  bool contains(const std::string& piece) const { return joined().find(piece) != std::string::npos; }

 private:
  static void collect(const char* text) {
    std::lock_guard lock(mutex());
    if (current()) current()->texts_.emplace_back(text);
  }
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static TraceCapture*& current() {
    static TraceCapture* capture = nullptr;
    return capture;
  }

  TraceCapture* outer_ = nullptr;
  TraceSink previous_sink_ = nullptr;
  std::vector<std::string> texts_;
};

}  // namespace platform
