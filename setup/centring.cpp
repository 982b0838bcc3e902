#include "setup/centring.h"

#include <algorithm>

namespace installation {
namespace {

// Start of a span of `size` centred on [from, to), kept within [low, high) when it fits there.
int centred_start(int from, int to, int size, int low, int high) {
  int start = from + (to - from - size) / 2;
  start = std::min(start, high - size);
  return std::max(start, low);
}

}  // namespace

ScreenPoint centred_origin(const ScreenRect& over, int width, int height, const ScreenRect& screen) {
  return {centred_start(over.left, over.right, width, screen.left, screen.right),
          centred_start(over.top, over.bottom, height, screen.top, screen.bottom)};
}

}  // namespace installation
