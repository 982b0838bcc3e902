// Wander: a mean-reverting random walk (an Ornstein-Uhlenbeck process), the way mains voltage,
// frequency, temperature and load drift around their set value: small steps, never far off.
//
// The update is exact for any step length, so the statistics do not depend on how simulated time
// is cut into steps (a --speed of 100 takes big steps).
#pragma once

#include <random>

namespace upssim {

class Wander {
 public:
  // spread: the standard deviation of the offset in the long run; settle_s: how fast it reverts.
  Wander(double spread, double settle_s);

  // Moves the offset on by dt seconds and returns it.
  double step(double dt, std::mt19937& rng);

  double offset() const { return offset_; }

 private:
  double spread_;
  double settle_s_;
  double offset_ = 0;
};

}  // namespace upssim
