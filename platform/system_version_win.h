// Which family of Windows this is: before Vista the system's own UPS service hosts the library,
// and some newer flags (a pipe's rejection of remote clients) do not exist.
#pragma once

#include <windows.h>

namespace platform {

inline bool system_before_vista() {
  const DWORD version = GetVersion();
  return (version & 0x80000000) != 0 || LOBYTE(LOWORD(version)) < 6;
}

}  // namespace platform
