#include "scopeview/geometry.h"

#include <cmath>

namespace scopeview {

Rect shrunk(Rect r, int by) {
  Rect out{r.left + by, r.top + by, r.right - by, r.bottom - by};
  if (out.right < out.left) out.left = out.right = r.left + r.width() / 2;
  if (out.bottom < out.top) out.top = out.bottom = r.top + r.height() / 2;
  return out;
}

int to_pixel(double v) {
  if (std::isnan(v)) return 0;
  if (v >= kPixelLimit) return kPixelLimit;
  if (v <= -kPixelLimit) return -kPixelLimit;
  return static_cast<int>(v);  // truncates, as the mapping wants
}

}  // namespace scopeview
