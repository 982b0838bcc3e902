// Window classes of the viewer's own windows, and the object behind each window: the object
// passed to CreateWindowEx is kept in the window's user data from WM_NCCREATE on.
#pragma once

#include <windows.h>

#include "scopeview/geometry.h"

namespace scopeview {

// The window's client rectangle in the portable geometry.
inline Rect client_rect(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

// Registers the class once per process; later calls do nothing.
inline void register_window_class(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
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

}  // namespace scopeview
