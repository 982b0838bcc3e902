#include "scopeview/osc_layout.h"

#include <algorithm>

namespace scopeview {
namespace {

int shown_count(const LayoutFlags& flags) {
  return static_cast<int>(std::count(flags.strip_shown.begin(), flags.strip_shown.end(), true));
}

// The columns the strips (and the X axes) span, between the Y axis columns.
struct Columns {
  int left;
  int right;
};

Columns strip_columns(Rect client, const LayoutFlags& flags) {
  Columns c{client.left + (flags.left_y ? kYAxisWidth : 0), client.right - (flags.right_y ? kYAxisWidth : 0)};
  c.right = std::max(c.right, c.left);  // a window narrower than the axes leaves the strips no width
  return c;
}

}  // namespace

OscLayout layout_oscilloscope(Rect client, const LayoutFlags& flags) {
  OscLayout out;
  const int k = shown_count(flags);
  if (k == 0) return out;  // nothing to plot: no strip bands, and the X axes would label nothing

  const Columns cols = strip_columns(client, flags);
  const int top_band = flags.top_x ? kXAxisHeight : 0;
  const int bottom_band = flags.bottom_x ? kXAxisHeight : 0;
  const int h = std::max(0, (client.height() - top_band - bottom_band) / k);
  const int first_top = client.top + top_band;

  int placed = 0;
  for (int i = 0; i < kStripCount; ++i) {
    if (!flags.strip_shown[i]) continue;
    const int y = first_top + placed * h;
    ++placed;
    out.strips[i] = shrunk(Rect{cols.left, y, cols.right, y + h}, kStripInset);
    if (flags.left_y) out.left_axes[i] = Rect{cols.left - kYAxisWidth, y, cols.left, y + h};
    if (flags.right_y) out.right_axes[i] = Rect{cols.right, y, cols.right + kYAxisWidth, y + h};
  }
  if (flags.top_x) out.top_x = Rect{cols.left, client.top, cols.right, first_top};
  if (flags.bottom_x) {
    const int y = first_top + k * h;
    out.bottom_x = Rect{cols.left, y, cols.right, y + kXAxisHeight};
  }
  return out;
}

}  // namespace scopeview
