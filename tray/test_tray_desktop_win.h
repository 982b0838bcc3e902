// Test helper: the tray application in a Wine virtual desktop of its own, whose taskbar holds the
// notification area, as a process or as runGUI on a thread of the test, and the ways a user
// reaches it: its hidden window, the icon's callback, the menu it opens, the pixels of the
// notification area.
//
// The test's main thread moves into the desktop before it makes any window, so that it finds the
// tray's windows and reads that desktop's screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "platform/screen_capture_win.h"
#include "platform/test_wine_env_win.h"
#include "platform/wide_text_win.h"

namespace tray::testing {

inline constexpr wchar_t kDesktopName[] = L"orvik_tray";

// Wine makes a desktop whose name has a size under Explorer\Desktops a virtual desktop.
inline bool enter_tray_desktop() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const wchar_t size[] = L"1024x700";
  RegSetValueExW(key, kDesktopName, 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof size);
  RegCloseKey(key);
  HDESK desktop = CreateDesktopW(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  return desktop && SetThreadDesktop(desktop);
}

// "orvik_ups.exe /gui" beside the test, started in the tray's desktop.
inline platform::UniqueHandle start_tray_process() {
  std::wstring command_line =
      L"\"" + platform::to_wide(platform::testing::wine_path(platform::testing::env("ORVIK_BIN_DIR"))) +
      L"\\orvik_ups.exe\" /gui";
  std::wstring desktop = kDesktopName;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop.data();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return platform::UniqueHandle();
  CloseHandle(info.hThread);
  return platform::UniqueHandle(info.hProcess);
}

inline HWND tray_window() { return FindWindowW(nullptr, L"ControlManageUPS"); }

// Closes every tray application of this desktop (as its "Закрыть" would); true once none is left
// within `limit_ms`. Tests that make the host start one end it, so that it holds no pipe later.
inline bool close_tray_applications(DWORD limit_ms = 5000) {
  const DWORD start = GetTickCount();
  for (HWND tray; (tray = tray_window()) != nullptr; Sleep(100)) {
    if (GetTickCount() - start > limit_ms) return false;
    PostMessageW(tray, WM_CLOSE, 0, 0);
  }
  return true;
}

// A shown pop-up menu window other than `except`; null when there is none.
inline HWND visible_menu_window(HWND except = nullptr) {
  for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr))
    if (w != except && IsWindowVisible(w)) return w;
  return nullptr;
}

// The items of an open menu as its window shows them: text (empty for a separator) and state.
struct ShownItem {
  std::wstring text;
  UINT state;
};
inline std::vector<ShownItem> shown_items(HWND menu_window) {
  constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, kGetMenu, 0, 0));
  std::vector<ShownItem> items;
  for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.push_back({text, GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION)});
  }
  return items;
}

// Opens the menu through the icon's callback; the menu window, or null.
inline HWND open_menu(HWND tray) {
  PostMessageW(tray, 0x8001, 0, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  for (int i = 0; i < 50 && !(menu = visible_menu_window()); ++i) Sleep(100);
  return menu;
}

// runGUI on a thread of this process, so that the test can read the menu it shows (another
// process's menus cannot be read under Wine).
class TrayThread {
 public:
  explicit TrayThread(HMODULE library)
      : run_gui_(reinterpret_cast<RunGui>(reinterpret_cast<void (*)()>(GetProcAddress(library, "runGUI")))) {
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~TrayThread() {
    if (WaitForSingleObject(thread_, 10000) != WAIT_OBJECT_0) TerminateThread(thread_, 9);
    CloseHandle(thread_);
  }
  // runGUI's result once it returned within `ms`; -1 otherwise.
  long result(DWORD ms) const {
    if (WaitForSingleObject(thread_, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeThread(thread_, &code);
    return static_cast<long>(code);
  }

 private:
  using RunGui = int(WINAPI*)();
  static DWORD WINAPI run(void* self) {
    SetThreadDesktop(OpenDesktopW(kDesktopName, 0, FALSE, GENERIC_ALL));
    return static_cast<DWORD>(static_cast<TrayThread*>(self)->run_gui_());
  }
  RunGui run_gui_;
  HANDLE thread_ = nullptr;
};

inline void press_key(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 0);
  PostMessageW(window, WM_KEYUP, key, 0xC0000000);
  Sleep(150);
}

// Whether any pixel of the taskbar's right end (the notification area) has exactly `rgb` (0xRRGGBB,
// an icon's body colour). One copy of the screen, scanned here: pixel by pixel would take seconds.
inline bool notification_area_shows(unsigned rgb) {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT area{};
  if (!taskbar || !GetWindowRect(taskbar, &area)) return false;
  area.left = area.right - 240;
  for (unsigned pixel : platform::capture_screen(area).pixels)
    if ((pixel & 0xFFFFFF) == rgb) return true;
  return false;
}

}  // namespace tray::testing
