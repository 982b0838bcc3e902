#include "service/driver_library_win.h"

#include "platform/debug_trace.h"
#include "platform/system_function_win.h"
#include "service/program_files_win.h"

namespace service {

using platform::find_system_function;

namespace {

// Beside this program: a library of that name on the search path would run as SYSTEM.
HMODULE load_library() {
  const std::wstring program = this_program_path();
  const std::size_t slash = program.find_last_of(L'\\');
  if (slash == std::wstring::npos) return nullptr;
  return LoadLibraryW((program.substr(0, slash + 1) + kLibraryFile).c_str());
}

}  // namespace

LibraryExports::LibraryExports() : module_(load_library()) {
  if (!module_) {
    debug_trace("Error load dll\n");
    return;
  }
  setup_ = find_system_function<SetupFunction>(module_, "setup");
  run_gui_ = find_system_function<RunGuiFunction>(module_, "runGUI");
  run_sheet_ = find_system_function<RunSheetFunction>(module_, "runSheet");
}

LibraryExports::~LibraryExports() {
  if (module_) FreeLibrary(module_);
}

bool LoadedDriverLibrary::load() {
  std::lock_guard lock(mutex_);
  if (!module_) module_ = load_library();
  if (!module_) load_error_ = GetLastError();
  return module_ != nullptr;
}

bool LoadedDriverLibrary::bind() {
  std::lock_guard lock(mutex_);
  core::MinidriverExports exports;
  const auto setup = find_system_function<SetupFunction>(module_, "setup");
  if (!exports.bind(module_) || !setup) return false;
  functions_ = exports;
  setup_ = setup;
  return true;
}

std::uint32_t LoadedDriverLibrary::init() {
  setup_(installation::kKeepPipe, reinterpret_cast<ULONG_PTR>(&pipe_keeper_));
  return functions_.init();
}

void LoadedDriverLibrary::unload() {
  std::lock_guard lock(mutex_);
  functions_ = core::MinidriverExports{};
  setup_ = nullptr;
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

void LoadedDriverLibrary::cancel_wait() {
  std::lock_guard lock(mutex_);
  if (functions_.cancel_wait) functions_.cancel_wait();
}

void LoadedDriverLibrary::forward_end_session() {
  std::lock_guard lock(mutex_);
  if (setup_) setup_(installation::kForwardEndSession, 0);
}

void LoadedDriverLibrary::record_event(std::uint32_t code, const char* text) {
  installation::EventRecord record{code, text};
  setup_(installation::kRecordEvent, reinterpret_cast<ULONG_PTR>(&record));
}

void LoadedDriverLibrary::let_network_clients_go_first() { setup_(installation::kLetNetworkClientsGoFirst, 0); }

}  // namespace service
