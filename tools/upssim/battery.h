// Battery: the UPS's lead-acid battery, reduced to its terminal voltage.
//
// Levels are those of a 12 V block (float 13.6, low 10.9, cut-off 10.2) scaled by the nominal
// voltage; low and cut-off can be set apart. Discharge is linear in load, faster while the surface
// charge above the resting voltage is drawn off (which is why a real battery drops by most of a
// volt in the first minute on battery); charging approaches float exponentially.
//
// Rates, for a 12 V block: idle 0.0009 V/s, plus 0.0104 V/s at 100 % load (five times that above
// 12.8 V): from full, about 16 minutes to low at 12 % load and 3 minutes at 100 %.
#pragma once

namespace upssim {

struct BatteryLevels {
  double nominal_v = 12.0;
  double float_v = 13.6;
  double low_v = 10.9;
  double cutoff_v = 10.2;

  static BatteryLevels for_nominal(double nominal_v);
};

class Battery {
 public:
  Battery();

  double voltage() const { return voltage_; }
  void set_voltage(double volts);

  const BatteryLevels& levels() const { return levels_; }
  BatteryLevels& levels() { return levels_; }
  // New nominal voltage: all levels scale and the battery is full.
  void set_nominal(double nominal_v);

  void discharge(double dt, double load_percent);
  void charge(double dt);

  bool low() const { return voltage_ <= levels_.low_v; }
  bool exhausted() const { return voltage_ <= levels_.cutoff_v; }

 private:
  BatteryLevels levels_;
  double voltage_;
};

}  // namespace upssim
