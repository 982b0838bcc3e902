// The "nice" step of a range: 1, 2 or 5 times a power of ten, about a tenth of the range. The axes
// tick with it, the strips draw their grid with it, and the zoom and the data margins are sized
// by it, so all of them agree on where round numbers fall.
#pragma once

namespace scopeview {

struct NiceStep {
  double step = 0.0;
  bool five = false;  // 5 x 10^e: the axes place their minor ticks differently for it
};

// Step for the range u..v (either order). Spans below 1e-15 count as exponent 0, so they get a
// step of 2 rather than one underflowing toward zero. A non-finite span (NaN, infinity, or a
// finite range whose width overflows) has no step: the result is NaN, and every loop over steps
// checks for that.
NiceStep nice_step(double u, double v);

}  // namespace scopeview
