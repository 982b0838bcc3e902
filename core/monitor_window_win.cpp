#include "core/monitor_window_win.h"

#include <objbase.h>

#include "core/library_hooks_win.h"
#include "core/power_policy.h"
#include "platform/debug_trace.h"
#include "platform/module_win.h"

namespace core {
namespace {

constexpr WPARAM kSuspend = 4;             // PBT_APMSUSPEND
constexpr WPARAM kResume = 7;              // PBT_APMRESUMESUSPEND
constexpr LPARAM kLogoffBit = 0x80000000;  // ENDSESSION_LOGOFF

class CWndUPS {
 public:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    LibraryCore& core = library_core();
    LibraryHooks hooks(core);
    switch (message) {
      case WM_POWERBROADCAST:
        if (wparam == kSuspend) on_suspend(core.monitor, hooks);
        if (wparam == kResume) on_resume(core.monitor, hooks);
        return 0;
      case WM_ENDSESSION:
        if ((lparam & kLogoffBit) == 0) on_end_session(core.monitor, hooks);
        return 0;
      case WM_CLOSE:
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
  }

  // The class belongs to this library, not to the host program, and lives only as long as the
  // window: a host that unloads the library and loads it again (after a hibernation) may get it
  // at another address, and a class left from the first load would still name the old procedure.
  static HWND create() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = platform::this_module();
    window_class.lpszClassName = kMonitorWindowClass;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, kMonitorWindowClass, kMonitorWindowTitle, 0, 0, 0, 0, 0, nullptr, nullptr,
                           window_class.hInstance, nullptr);
  }
  static void unregister() { UnregisterClassA(kMonitorWindowClass, platform::this_module()); }
};

struct WindowStart {
  LibraryCore* core;
  HANDLE created;  // set once the window exists (or could not be made)
};

DWORD WINAPI monitor_window_thread(void* parameter) {
  WindowStart* start = static_cast<WindowStart*>(parameter);
  LibraryCore& core = *start->core;
  CoInitialize(nullptr);
  core.window = CWndUPS::create();
  if (!core.window) debug_trace(" UPS::CreateWindow error: %u\n", static_cast<unsigned>(GetLastError()));
  SetEvent(start->created);  // `start` belongs to the starter from here on
  MSG message;
  while (core.window && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  CWndUPS::unregister();
  CoUninitialize();
  debug_trace(" UPS::Thread monitorWindow - closed\n");
  return 0;
}

}  // namespace

bool start_monitor_window(LibraryCore& core) {
  platform::UniqueHandle created(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  WindowStart start{&core, created.get()};
  core.window_thread.reset(CreateThread(nullptr, 0, monitor_window_thread, &start, 0, nullptr));
  if (!core.window_thread) return false;
  // The start record lives on this stack: wait until the thread no longer needs it.
  WaitForSingleObject(created.get(), INFINITE);
  return true;
}

void stop_monitor_window(LibraryCore& core) {
  if (!core.window_thread) return;
  HWND window = core.window.exchange(nullptr);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  WaitForSingleObject(core.window_thread.get(), INFINITE);
  core.window_thread.reset();
}

}  // namespace core
