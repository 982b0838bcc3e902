// The optional file sink of debug_trace on Windows.
#pragma once

namespace platform {

// Config value (string) naming the file every debug_trace text is appended to; absent: no file.
constexpr const char* kTraceFileValue = "DebugTraceFile";

// Reads "DebugTraceFile" again (it is otherwise read at the first trace of the process).
void reload_trace_file_setting();

}  // namespace platform
