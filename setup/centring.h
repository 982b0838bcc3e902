// Where a window goes when it is centred over another: the setup dialog over its parent.
//
// Pure function; any thread.
#pragma once

namespace installation {

struct ScreenRect {
  int left, top, right, bottom;
};

struct ScreenPoint {
  int x, y;
};

// The top-left corner that centres a `width` × `height` window over `over`, moved as little as
// needed to keep it inside `screen` (a parent near an edge must not push the dialog off-screen).
ScreenPoint centred_origin(const ScreenRect& over, int width, int height, const ScreenRect& screen);

}  // namespace installation
