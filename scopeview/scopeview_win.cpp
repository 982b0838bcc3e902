// scopeview: the 32-bit diagnostic viewer of the shared status block. Its window and traces
// arrive with the shared block they plot; the program exists so that the i686 build ships it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
