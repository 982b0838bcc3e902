#include "scopeview/markers.h"

namespace scopeview {
namespace {

MarkerShape polygon(std::array<Point, 4> points, int count) {
  return {MarkerShape::Kind::polygon, points, count, {}};
}

MarkerShape two_lines(Point a1, Point a2, Point b1, Point b2) {
  return {MarkerShape::Kind::lines, {a1, a2, b1, b2}, 4, {}};
}

}  // namespace

MarkerShape marker_shape(int style, Point at) {
  const int x = at.x;
  const int y = at.y;
  switch (style) {
    case 1:  // UTriangle
      return polygon({{{x - 3, y + 3}, {x, y - 4}, {x + 3, y + 3}}}, 3);
    case 2:  // DTriangle
      return polygon({{{x - 3, y - 3}, {x, y + 4}, {x + 3, y - 3}}}, 3);
    case 3:  // Diamond
      return polygon({{{x - 3, y}, {x, y + 5}, {x + 3, y}, {x, y - 5}}}, 4);
    case 4:  // Circle
      return {MarkerShape::Kind::ellipse, {}, 0, {x - 3, y - 3, x + 4, y + 4}};
    case 5:  // Cross
      return two_lines({x - 3, y}, {x + 4, y}, {x, y + 3}, {x, y - 4});
    case 6:  // XCross
      return two_lines({x - 3, y - 3}, {x + 4, y + 4}, {x - 3, y + 3}, {x + 4, y - 4});
    default:
      return {};
  }
}

}  // namespace scopeview
