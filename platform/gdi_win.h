// Owners of GDI objects: pens, brushes, fonts and bitmaps (DeleteObject) and memory device
// contexts (DeleteDC); a window's painting. A selected object must be selected out before its
// owner goes.
#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace platform {

struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { DeleteObject(v); }
};
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;

struct MemoryDcTraits {
  using Value = HDC;
  static Value empty() { return nullptr; }
  static bool is_open(Value v) { return v != nullptr; }
  static void close(Value v) { DeleteDC(v); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

// Selects `object` into `dc` for its lifetime and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The window's paint device context between BeginPaint and EndPaint (WM_PAINT only).
class PaintingDc {
 public:
  explicit PaintingDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintingDc() { EndPaint(hwnd_, &paint_); }
  PaintingDc(const PaintingDc&) = delete;
  PaintingDc& operator=(const PaintingDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace platform
