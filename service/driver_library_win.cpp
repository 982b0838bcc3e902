#include "service/driver_library_win.h"

#include "platform/debug_trace.h"
#include "platform/system_function_win.h"

namespace service {

using platform::find_system_function;

LibraryExports::LibraryExports() : module_(LoadLibraryA(kLibraryFile)) {
  if (!module_) {
    debug_trace("Error load dll\n");
    return;
  }
  setup_ = find_system_function<SetupFunction>(module_, "setup");
  run_gui_ = find_system_function<RunGuiFunction>(module_, "runGUI");
}

LibraryExports::~LibraryExports() {
  if (module_) FreeLibrary(module_);
}

bool LoadedDriverLibrary::load() {
  std::lock_guard lock(mutex_);
  if (!module_) module_ = LoadLibraryA(kLibraryFile);
  return module_ != nullptr;
}

bool LoadedDriverLibrary::bind() {
  std::lock_guard lock(mutex_);
  Functions f;
  f.init = find_system_function<decltype(f.init)>(module_, "UPSInit");
  f.stop = find_system_function<decltype(f.stop)>(module_, "UPSStop");
  f.get_state = find_system_function<decltype(f.get_state)>(module_, "UPSGetState");
  f.wait = find_system_function<decltype(f.wait)>(module_, "UPSWaitForStateChange");
  f.cancel_wait = find_system_function<decltype(f.cancel_wait)>(module_, "UPSCancelWait");
  f.turn_off = find_system_function<decltype(f.turn_off)>(module_, "UPSTurnOff");
  f.setup = find_system_function<SetupFunction>(module_, "setup");
  if (!f.init || !f.stop || !f.get_state || !f.wait || !f.cancel_wait || !f.turn_off || !f.setup) return false;
  functions_ = f;
  return true;
}

void LoadedDriverLibrary::unload() {
  std::lock_guard lock(mutex_);
  functions_ = Functions{};
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

void LoadedDriverLibrary::cancel_wait() {
  std::lock_guard lock(mutex_);
  if (functions_.cancel_wait) functions_.cancel_wait();
}

void LoadedDriverLibrary::forward_end_session() {
  std::lock_guard lock(mutex_);
  if (functions_.setup) functions_.setup(installation::kForwardEndSession, 0);
}

void LoadedDriverLibrary::record_event(std::uint32_t code, const char* text) {
  installation::EventRecord record{code, text};
  functions_.setup(installation::kRecordEvent, reinterpret_cast<ULONG_PTR>(&record));
}

}  // namespace service
