#include "platform/debug_trace.h"

namespace platform {

// Natively there is no debugger output to write to; tests install a capturing sink.
void default_trace_sink(const char*) {}

}  // namespace platform
