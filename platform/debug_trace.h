// debug_trace: the diagnostic line writer of every part of the system.
//
// Formats printf-style into an 8,192-byte buffer (longer text is cut, never overflowed) and hands
// the text to the current sink. On Windows the default sink writes to the system debugger output
// and, when the Config value "DebugTraceFile" names a file, appends there as well. Natively the
// default sink discards; tests install their own to read what the code logged.
//
// Thread-safe: the sink is swapped atomically and called from any thread; a sink must be too.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace platform {

constexpr std::size_t kTraceBufferSize = 8192;

using TraceSink = void (*)(const char* text);

// Installs `sink` (nullptr restores the default) and returns the one it replaced.
TraceSink set_trace_sink(TraceSink sink);

// The sink a build uses when none is installed (debug_trace_win.cpp or debug_trace_native.cpp).
void default_trace_sink(const char* text);

}  // namespace platform

void debug_trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void debug_trace_v(const char* format, std::va_list args) __attribute__((format(printf, 1, 0)));
