// Test program: a host of the monitoring core in a process of its own, for tests that need the
// core under a token other than theirs.
//   core_host STOP_EVENT [OUTPUT SWITCH]
// Loads "orvik_dll.dll" beside it, calls UPSInit, and calls UPSStop once the named event
// STOP_EVENT is set. With OUTPUT and SWITCH, once the core runs it starts "orvik_ups.exe SWITCH"
// beside it as an ordinary user (its own token lowered) with the standard output and error in the
// file OUTPUT, and waits for it: a client that trusts the core as the process that started it.
// Exit codes: the client's, or 0 without one, after the stop; 2 bad arguments, 3 no library or
// export, 4 the client could not start, or UPSInit's result plus 100 when it failed.
#include <windows.h>

#include <string>

#include "core/minidriver_exports_win.h"
#include "core/ups_state.h"
#include "platform/handles_win.h"
#include "platform/test_security_win.h"
#include "platform/test_wine_env_win.h"

namespace {

std::string beside_this_program(const char* file) {
  char path[MAX_PATH];
  const std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of('\\') + 1) + file;
}

// The client's exit code; -1 when it could not be started.
long run_client(const char* output_file, const char* host_switch) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  platform::UniqueHandle output(
      CreateFileA(output_file, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr));
  platform::testing::LoweredToken user;
  platform::UniqueHandle client = platform::testing::start_process_as(
      user, "\"" + beside_this_program("orvik_ups.exe") + "\" " + host_switch, output.get());
  return client ? platform::testing::wait_for_exit(client.get(), INFINITE) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) return 2;
  platform::UniqueHandle stop(CreateEventA(nullptr, TRUE, FALSE, argv[1]));
  HMODULE library = LoadLibraryA(beside_this_program("orvik_dll.dll").c_str());
  core::MinidriverExports exports;
  if (!stop || !library || !exports.bind(library)) return 3;
  const DWORD result = exports.init();
  if (result != core::UPS_INITOK) return static_cast<int>(100 + result);
  const long client = argc == 4 ? run_client(argv[2], argv[3]) : 0;
  WaitForSingleObject(stop.get(), INFINITE);
  exports.stop();
  FreeLibrary(library);
  return client < 0 ? 4 : static_cast<int>(client);
}
