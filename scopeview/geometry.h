// Pixel geometry of the viewer's windows without <windows.h>: a rectangle laid out the way a
// window RECT is (right and bottom one past the last pixel), a point, and the conversion of a
// computed coordinate to a pixel that is always a defined, drawable int.
#pragma once

namespace scopeview {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// `r` moved inwards by `by` on each side; a rectangle too small for that collapses to zero size
// instead of turning inside out, so a window is never given a negative size.
Rect shrunk(Rect r, int by);

// Coordinates far outside every window, yet small enough that the drawing calls' own arithmetic
// cannot overflow with them.
inline constexpr int kPixelLimit = 1 << 20;

// trunc(v) as a pixel, saturated to +-kPixelLimit; NaN gives 0. A double outside int's range
// must never be converted directly: that is undefined, and wild data or a zero span produce one.
int to_pixel(double v);

}  // namespace scopeview
