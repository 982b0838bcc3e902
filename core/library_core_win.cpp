#include "core/library_core_win.h"

namespace core {
namespace {
const DWORD g_loaded_at = GetTickCount();
}

LibraryCore& library_core() {
  static LibraryCore core;
  return core;
}

std::uint32_t process_clock_ms() { return GetTickCount() - g_loaded_at; }

}  // namespace core
