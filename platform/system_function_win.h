// Looking up a function of a system library at run time, for calls that older systems lack.
#pragma once

#include <windows.h>

namespace platform {

// The function `name` of `module` as a pointer of type F; null when the system does not have it.
template <typename F>
F find_system_function(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through a generic function pointer: FARPROC's own signature says nothing about the real one.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace platform
