// orvik_ups: the service host. It holds no UPS logic; everything lives in the driver library,
// loaded by its file name. The command line and the service arrive with the parts they drive;
// today the program loads the library and reports when it cannot.
#include <windows.h>

#include "platform/debug_trace.h"

int main() {
  HMODULE library = LoadLibraryA("orvik_dll.dll");
  if (!library) {
    debug_trace("Error load dll\n");
    return 0;
  }
  FreeLibrary(library);
  return 0;
}
