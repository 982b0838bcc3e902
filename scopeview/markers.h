// Marker shapes drawn at each sample of a strip, as pure geometry: the window code draws the
// polygon, ellipse or two lines returned here with the trace pen and the marker brush.
#pragma once

#include <array>

#include "scopeview/geometry.h"

namespace scopeview {

inline constexpr int kMarkerStyleCount = 7;

// The names the "Point style" list shows, index = style.
inline constexpr std::array<const wchar_t*, kMarkerStyleCount> kMarkerStyleNames{
    L"None", L"UTriangle", L"DTriangle", L"Diamond", L"Circle", L"Cross", L"XCross"};

struct MarkerShape {
  enum class Kind { none, polygon, ellipse, lines };
  Kind kind = Kind::none;
  // polygon: points[0..count); lines: points[0]-points[1] and points[2]-points[3].
  std::array<Point, 4> points{};
  int count = 0;
  Rect box{};  // ellipse: its bounding box
};

// The marker of `style` centred on `at`; styles outside 0-6 draw nothing.
MarkerShape marker_shape(int style, Point at);

}  // namespace scopeview
