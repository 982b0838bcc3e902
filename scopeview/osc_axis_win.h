// OscilloscopeAxis: one axis window of the oscilloscope (window class "WTL_OscilloscopeAxis"):
// its line, major ticks with "%g" labels and minor ticks for a range, placed by its side.
// Window thread only.
#pragma once

#include <windows.h>

#include "platform/gdi_win.h"
#include "scopeview/axis_drawing.h"
#include "scopeview/geometry.h"

namespace scopeview {

class OscilloscopeAxis {
 public:
  bool create(HWND parent, AxisPlacement placement);
  void move(const Rect& r);
  // Takes the range; repaints only when it changed.
  void set_range(double min, double max);
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc, const Rect& client);
  void draw_label(HDC dc, const Rect& client, int pixel, double value);

  HWND hwnd_ = nullptr;
  AxisPlacement placement_ = AxisPlacement::bottom;
  double min_ = 0.0;
  double max_ = 1.0;
  platform::UniqueGdiObject font_;
};

}  // namespace scopeview
