#include "tools/upssim/wander.h"

#include <cmath>

namespace upssim {

Wander::Wander(double spread, double settle_s) : spread_(spread), settle_s_(settle_s) {}

double Wander::step(double dt, std::mt19937& rng) {
  if (dt <= 0) {
    return offset_;
  }
  double keep = std::exp(-dt / settle_s_);
  std::normal_distribution<double> noise(0.0, spread_ * std::sqrt(1.0 - keep * keep));
  offset_ = offset_ * keep + noise(rng);
  return offset_;
}

}  // namespace upssim
