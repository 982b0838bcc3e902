#include "service/event_source_win.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "platform/system_event_log_win.h"
#include "service/driver_library_win.h"
#include "service/program_files_win.h"

namespace service {
namespace {

constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// "<folder>\orvik_dll.dll;<folder>\orvik_ups.exe": the library the program loads, beside it.
std::wstring message_files() {
  const std::wstring program = this_program_path();
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  return folder + kLibraryFile + L";" + program;
}

}  // namespace

bool register_event_source() {
  platform::UniqueKey source;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, platform::kEventSourceKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      source.receive(), nullptr) != ERROR_SUCCESS) {
    source.release();
    debug_trace("UPS::event source not registered\n");
    return false;
  }
  return platform::write_wide_string_value(source.get(), L"EventMessageFile", message_files(), REG_EXPAND_SZ) &&
         platform::write_dword_value(source.get(), "TypesSupported", kTypesSupported);
}

void remove_event_source() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, platform::kEventSourceKeyPath); }

}  // namespace service
