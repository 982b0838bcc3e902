// Window classes of our own windows, and the object behind each window: the object passed to
// CreateWindowEx is kept in the window's user data from WM_NCCREATE on.
#pragma once

#include <windows.h>

#include "platform/module_win.h"

namespace platform {

// Registers the class of this module once per process; later calls do nothing. False when the
// class cannot be registered.
inline bool register_window_class(const wchar_t* name, WNDPROC proc, HCURSOR cursor,
                                  UINT style = CS_HREDRAW | CS_VREDRAW, HBRUSH background = nullptr) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(this_module(), name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = this_module();
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

// The window's object: taken from the creation parameters at WM_NCCREATE, then from the user
// data; null before that.
template <typename T>
T* window_owner(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace platform
