// Layout of the oscilloscope container: where its strips, their left and right Y axes and the
// top and bottom X axes go for a client rectangle and the current shown flags. The windows only
// move themselves to these rectangles; a hidden strip or axis gets an empty rectangle.
#pragma once

#include <array>

#include "scopeview/geometry.h"

namespace scopeview {

inline constexpr int kStripCount = 8;
inline constexpr int kYAxisWidth = 50;
inline constexpr int kXAxisHeight = 25;
inline constexpr int kStripInset = 4;  // the strip window sits inside its band, framed by the dialog

struct LayoutFlags {
  std::array<bool, kStripCount> strip_shown{};
  bool top_x = false;
  bool bottom_x = true;
  bool left_y = true;
  bool right_y = false;
};

struct OscLayout {
  std::array<Rect, kStripCount> strips{};
  std::array<Rect, kStripCount> left_axes{};
  std::array<Rect, kStripCount> right_axes{};
  Rect top_x{};
  Rect bottom_x{};
};

// The shown strips share the height left by the X axes equally, top to bottom in channel order;
// the remainder of the integer division stays unused below the bottom X axis.
OscLayout layout_oscilloscope(Rect client, const LayoutFlags& flags);

}  // namespace scopeview
