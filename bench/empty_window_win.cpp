// empty_window: the smallest Win32 program with a window and a message loop, built like the
// system's programs; its memory under Wine is the baseline the tray application is compared with.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"EmptyWindow";
  RegisterClassW(&window_class);
  CreateWindowExW(0, L"EmptyWindow", L"EmptyWindow", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
