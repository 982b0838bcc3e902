// Test program: holds the shared memory in a process of its own.
//   shared_memory_probe create BASE SIZE  - creates the block, fills it with the test pattern,
//                                           signals "<BASE>_ready", holds it until "<BASE>_done"
//   shared_memory_probe attach BASE SIZE  - attaches and checks the pattern
// Exit codes: 0 done, 2 bad arguments, 3 could not create or attach, 4 pattern differs, 5 no signal.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/shared_memory_win.h"
#include "platform/shared_memory_test_pattern.h"

namespace {

platform::UniqueHandle named_event(const std::string& name) {
  return platform::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

int create(const char* base, DWORD size) {
  platform::SharedMemory block;
  if (!platform::open_shared_memory(block, true, base, size)) return 3;
  platform::fill_test_pattern(static_cast<unsigned char*>(block.data()), size);
  platform::UniqueHandle ready = named_event(std::string(base) + "_ready");
  platform::UniqueHandle done = named_event(std::string(base) + "_done");
  SetEvent(ready.get());
  return WaitForSingleObject(done.get(), 60000) == WAIT_OBJECT_0 ? 0 : 5;
}

int attach(const char* base, DWORD size) {
  platform::SharedMemory block;
  if (!platform::open_shared_memory(block, false, base, size)) return 3;
  std::printf("attached by a %u-bit process\n", static_cast<unsigned>(sizeof(void*) * 8));
  return platform::has_test_pattern(static_cast<const unsigned char*>(block.data()), size) ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  DWORD size = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  if (size == 0) return 2;
  if (std::strcmp(argv[1], "create") == 0) return create(argv[2], size);
  if (std::strcmp(argv[1], "attach") == 0) return attach(argv[2], size);
  return 2;
}
