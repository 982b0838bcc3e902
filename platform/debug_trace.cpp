#include "platform/debug_trace.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {
std::atomic<TraceSink> g_sink{nullptr};
}

TraceSink set_trace_sink(TraceSink sink) {
  return g_sink.exchange(sink);
}

}  // namespace platform

void debug_trace_v(const char* format, std::va_list args) {
  char text[platform::kTraceBufferSize];
  if (std::vsnprintf(text, sizeof text, format, args) < 0) return;
  platform::TraceSink sink = platform::g_sink.load();
  (sink ? sink : platform::default_trace_sink)(text);
}

void debug_trace(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  debug_trace_v(format, args);
  va_end(args);
}
