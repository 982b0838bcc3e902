// Test program: loads "orvik_search_probe.dll" by its name alone, wherever the system's search finds
// it, with the search as the system has it or as programs of the system restrict it.
//   library_search_probe plain|restricted
// Exit codes: 0 loaded, 1 not found, 2 bad arguments.
#include <windows.h>

#include <cstring>

#include "platform/library_search_win.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (std::strcmp(argv[1], "restricted") == 0)
    platform::restrict_library_search();
  else if (std::strcmp(argv[1], "plain") != 0)
    return 2;
  return LoadLibraryW(L"orvik_search_probe.dll") ? 0 : 1;
}
