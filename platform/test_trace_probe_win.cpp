// Test program: traces numbered lines through debug_trace, into the file the Config value
// "DebugTraceFile" names, beside other processes doing the same.
//   trace_probe WRITER LINES  - traces LINES lines "trace_probe WRITER line N" (N from 0)
// Exit codes: 0 done, 2 bad arguments.
#include <cstdlib>

#include "platform/debug_trace.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int writer = std::atoi(argv[1]);
  const int lines = std::atoi(argv[2]);
  if (lines <= 0) return 2;
  for (int line = 0; line < lines; ++line) debug_trace("trace_probe %d line %d\n", writer, line);
  return 0;
}
