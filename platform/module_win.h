// The module this code is linked into: the driver library's own handle when the code runs inside
// it, the program's otherwise. Its resources and window classes belong to it, not to the host.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace platform {

inline HINSTANCE this_module() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace platform
