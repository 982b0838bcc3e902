// A window's client rectangle in the viewer's portable geometry.
#pragma once

#include <windows.h>

#include "scopeview/geometry.h"

namespace scopeview {

inline Rect client_rect(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace scopeview
