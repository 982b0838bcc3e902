#include "scopeview/nice_step.h"

#include <cmath>
#include <limits>

namespace scopeview {

NiceStep nice_step(double u, double v) {
  const double raw = std::fabs(v - u) / 10.0;
  if (!std::isfinite(raw)) return {std::numeric_limits<double>::quiet_NaN(), false};

  double e = raw >= 1e-15 ? std::floor(std::log10(raw)) : 0.0;
  double p = std::pow(10.0, e);
  // log10 may round up to the next integer just below a power of ten; the decade must hold raw.
  if (raw >= 1e-15 && p > raw) {
    e -= 1.0;
    p = std::pow(10.0, e);
  }
  if (raw == p) return {p, false};
  if (raw <= 2.0 * p) return {2.0 * p, false};
  if (raw <= 5.0 * p) return {5.0 * p, true};
  return {std::pow(10.0, e + 1.0), false};
}

}  // namespace scopeview
