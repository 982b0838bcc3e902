// PipeKeeper: where a host keeps the pipe's instances for its process's whole life, while the
// library that serves them is started, stopped, unloaded and loaded again (the service host does
// so around a hibernation at the critical point). No other process can take the name meanwhile.
//
// The host owns the memory and hands its address to the library before every UPSInit (`setup`
// command 14); the host lets the handles go only once the monitoring has ended for good and the
// library no longer runs. The library serves duplicates of the kept handles, or creates the pipe
// and leaves duplicates here, and lets kept instances go that can no longer serve; it alone writes
// the keeper, from UPSInit or from its polling thread, while the host waits in the library.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ipc/pipe_message.h"

namespace ipc {

struct PipeKeeper {
  std::uint32_t size = sizeof(PipeKeeper);  // what the library checks before it uses the rest
  std::uint32_t count = 0;                  // 0, or kPipeInstances once the pipe is kept
  HANDLE instances[kPipeInstances] = {};
};

// Closes the first `count` kept handles and keeps nothing: the name is free once nobody else holds
// an instance of it.
inline void release_kept_instances(PipeKeeper& keeper, int count = kPipeInstances) {
  for (int i = 0; i < count; ++i) {
    if (keeper.instances[i]) CloseHandle(keeper.instances[i]);
    keeper.instances[i] = nullptr;
  }
  keeper.count = 0;
}

}  // namespace ipc
