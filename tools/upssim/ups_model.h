// UpsModel: the UPS itself (power path, battery, battery test, turn-off timers, beeper) and what its
// sensors read. Time is simulated seconds handed to advance(); the caller scales real time by
// --speed. Not thread-safe: one event loop owns it.
//
// Power path
//  - Mains is usable while it is switched on and its voltage lies in the transfer window
//    165..275 V; otherwise the UPS runs from battery (utility-fail bit) and the input reads what
//    the line carries (the set voltage, or the outage value once mains is switched off).
//  - On usable mains below 200 V or above 245 V the AVR regulates the output to about 220 V.
//  - On battery the inverter gives about 220 V and the battery drains with the load. At cut-off
//    the output goes off and the UPS powers down (no answers at all) until mains returns; then it
//    starts again by itself.
// Battery test (T, Tnn, TL)
//  - Starts only on usable mains with the output on. The output runs from battery (the battery
//    voltage falls) while the input is still measured. Ends when its time is up, at the low-battery
//    level, on CT, or when mains fails.
// Battery-low bit
//  - Set while the battery at or under its low level feeds the output. With the hold on, it stays
//    set from then on, mains or not, until the battery has recharged to its nominal voltage, as
//    units do that report it at the end of a deep test and while they recharge after an outage.
// Turn-off (S..R..)
//  - The shutdown-active bit is set from the command until the output is on again. After the
//    delay the output is off (0 V, load 0). Restore > 0: it comes back that many minutes later
//    once mains is usable (waiting for mains if need be). Restore 0: it comes back only when mains
//    returns after a failure. An output switched off while on battery leaves nothing powering the
//    UPS: it falls silent until mains returns. C cancels a pending turn-off and brings an output
//    that is off by command back on.
// Input fault voltage
//  - Reads as the input voltage, except that the voltage measured when mains was lost is held until
//    the next status report, as a line-interactive UPS reports the glitch that made it transfer.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/upssim/battery.h"
#include "tools/upssim/status_line.h"
#include "tools/upssim/wander.h"

namespace upssim {

enum class TestKind { none, timed, until_low };

// What the surroundings and the operator impose; plain values the model reads on every step.
struct Conditions {
  double outage_input_v = 0.0;  // input reading while mains is switched off
  double frequency_hz = 50.0;
  double load_percent = 12.0;
  std::optional<double> temperature_c = 25.0;  // empty: the UPS has no sensor
  bool force_low = false;                      // battery-low bit regardless of the battery
  bool hold_low = false;                       // the bit stays from the low level until recharged
  bool fault = false;                          // UPS fault bit
  bool jitter = true;                          // readings wander around their set values
};

class UpsModel {
 public:
  explicit UpsModel(std::uint32_t seed);

  Conditions& conditions() { return conditions_; }
  const Conditions& conditions() const { return conditions_; }
  Battery& battery() { return battery_; }
  const Battery& battery() const { return battery_; }

  void set_mains(bool on);
  void set_mains_voltage(double volts);
  bool mains_switched_on() const { return mains_on_; }

  // Commands of the serial line.
  void set_beeper(bool on) { beeper_ = on; }
  void toggle_beeper() { beeper_ = !beeper_; }
  void start_test(TestKind kind, double seconds);
  void cancel_test();
  void schedule_turn_off(double delay_s, double restore_s);  // restore 0: at mains return
  void cancel_turn_off();

  void advance(double seconds);

  bool powered() const { return powered_; }  // the UPS's electronics run and can answer
  bool output_on() const { return output_ == Output::on; }
  bool beeper() const { return beeper_; }
  TestKind test() const { return test_; }
  bool shutdown_active() const;

  // The sensors now. report() is what the UPS sends: it also releases the held fault voltage.
  StatusReading peek() const;
  StatusReading report();

  // What happened since the last call (test ended, output off, ...), for the log.
  std::vector<std::string> take_events();

 private:
  enum class Output { on, off_by_command, off_at_cutoff };

  bool mains_usable() const;
  bool avr_active() const;
  bool discharging() const;
  bool battery_low_bit() const;
  double wobble(const Wander& wander) const;
  double input_reading() const;
  double output_reading() const;
  std::uint8_t status_bits() const;

  void step(double dt);
  void step_wanders(double dt);
  void step_turn_off(double dt);
  void step_test(double dt);
  void step_battery(double dt);
  void power_changed(bool was_usable);
  void switch_off_by_command();
  void switch_back_on(const std::string& why);
  void end_test(const std::string& why);
  void event(std::string text);

  Conditions conditions_;
  Battery battery_;
  std::mt19937 rng_;
  Wander input_wander_{1.5, 30.0};
  Wander output_wander_{0.4, 10.0};
  Wander frequency_wander_{0.05, 20.0};
  Wander temperature_wander_{0.3, 120.0};
  Wander load_wander_{1.0, 10.0};

  bool mains_on_ = true;
  bool was_low_ = false;  // the battery reached its low level and has not recharged since
  double mains_v_ = 230.0;
  bool powered_ = true;
  Output output_ = Output::on;
  bool beeper_ = true;
  TestKind test_ = TestKind::none;
  double test_left_s_ = 0;
  std::optional<double> turn_off_left_s_;
  double restore_after_s_ = 0;
  std::optional<double> restore_left_s_;
  std::optional<double> held_fault_v_;
  std::vector<std::string> events_;
};

}  // namespace upssim
