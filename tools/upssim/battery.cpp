#include "tools/upssim/battery.h"

#include <algorithm>
#include <cmath>

namespace upssim {
namespace {

constexpr double kIdleRatePerBlock = 0.0009;     // V/s, UPS electronics alone
constexpr double kFullLoadRatePerBlock = 0.0104;  // V/s added at 100 % load
constexpr double kSurfaceFactor = 5.0;
constexpr double kRestingPerBlock = 12.8;
constexpr double kChargeSettleS = 300.0;

}  // namespace

BatteryLevels BatteryLevels::for_nominal(double nominal_v) {
  double blocks = nominal_v / 12.0;
  return {nominal_v, 13.6 * blocks, 10.9 * blocks, 10.2 * blocks};
}

Battery::Battery() : voltage_(levels_.float_v) {}

void Battery::set_voltage(double volts) { voltage_ = std::max(0.0, volts); }

void Battery::set_nominal(double nominal_v) {
  levels_ = BatteryLevels::for_nominal(nominal_v);
  voltage_ = levels_.float_v;
}

void Battery::discharge(double dt, double load_percent) {
  double blocks = levels_.nominal_v / 12.0;
  double rate = (kIdleRatePerBlock + kFullLoadRatePerBlock * std::max(0.0, load_percent) / 100.0) * blocks;
  if (voltage_ > kRestingPerBlock * blocks) {
    rate *= kSurfaceFactor;
  }
  voltage_ = std::max(0.0, voltage_ - rate * dt);
}

void Battery::charge(double dt) {
  voltage_ += (levels_.float_v - voltage_) * (1.0 - std::exp(-dt / kChargeSettleS));
}

}  // namespace upssim
