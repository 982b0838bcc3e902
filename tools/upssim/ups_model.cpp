#include "tools/upssim/ups_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace upssim {
namespace {

constexpr double kInverterV = 220.0;
constexpr double kBoostBelowV = 200.0;
constexpr double kBuckAboveV = 245.0;
constexpr double kTransferLowV = 165.0;
constexpr double kTransferHighV = 275.0;
constexpr double kLongestStepS = 1.0;

std::string volts(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f V", v);
  return text;
}

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f s", s);
  return text;
}

}  // namespace

UpsModel::UpsModel(std::uint32_t seed) : rng_(seed) {}

// --- power path -------------------------------------------------------------------------------

bool UpsModel::mains_usable() const {
  return mains_on_ && mains_v_ >= kTransferLowV && mains_v_ <= kTransferHighV;
}

bool UpsModel::avr_active() const {
  return mains_usable() && output_ == Output::on && (mains_v_ < kBoostBelowV || mains_v_ > kBuckAboveV);
}

bool UpsModel::discharging() const {
  return output_ == Output::on && (!mains_usable() || test_ != TestKind::none);
}

bool UpsModel::battery_low_bit() const {
  if (conditions_.force_low || (discharging() && battery_.low())) {
    return true;
  }
  return conditions_.hold_low && was_low_ && battery_.voltage() < battery_.levels().nominal_v;
}

bool UpsModel::shutdown_active() const {
  return turn_off_left_s_.has_value() || output_ == Output::off_by_command;
}

void UpsModel::set_mains(bool on) {
  bool was_usable = mains_usable();
  mains_on_ = on;
  power_changed(was_usable);
}

void UpsModel::set_mains_voltage(double v) {
  bool was_usable = mains_usable();
  mains_v_ = v;
  power_changed(was_usable);
}

void UpsModel::power_changed(bool was_usable) {
  bool usable = mains_usable();
  if (usable == was_usable) {
    return;
  }
  if (!usable) {
    held_fault_v_ = mains_v_ + wobble(input_wander_);
    event("mains lost: on battery");
    if (test_ != TestKind::none) {
      end_test("mains lost");
    }
    if (output_ != Output::on && powered_) {
      powered_ = false;
      event("output off and no mains: UPS powered down");
    }
    return;
  }
  event("mains back");
  if (!powered_) {
    powered_ = true;
    event("UPS powered up");
  }
  bool waits_for_mains = output_ == Output::off_by_command && !restore_left_s_;
  if (output_ == Output::off_at_cutoff || waits_for_mains) {
    switch_back_on("mains returned");
  }
}

// --- commands ---------------------------------------------------------------------------------

void UpsModel::start_test(TestKind kind, double duration_s) {
  if (!mains_usable() || output_ != Output::on) {
    event("test refused: needs mains and the output on");
    return;
  }
  test_ = kind;
  test_left_s_ = duration_s;
  event(kind == TestKind::until_low ? "test started, until battery low"
                                    : "test started for " + seconds(duration_s));
}

void UpsModel::cancel_test() {
  if (test_ != TestKind::none) {
    end_test("cancelled");
  }
}

void UpsModel::end_test(const std::string& why) {
  test_ = TestKind::none;
  test_left_s_ = 0;
  event("test ended: " + why);
}

void UpsModel::schedule_turn_off(double delay_s, double restore_s) {
  turn_off_left_s_ = delay_s;
  restore_after_s_ = restore_s;
  event("turn-off in " + seconds(delay_s) +
        (restore_s > 0 ? ", restore after " + seconds(restore_s) : ", restore at mains return"));
}

void UpsModel::cancel_turn_off() {
  turn_off_left_s_.reset();
  restore_left_s_.reset();
  if (output_ == Output::off_by_command) {
    switch_back_on("turn-off cancelled");
  } else {
    event("pending turn-off cancelled");
  }
}

void UpsModel::switch_off_by_command() {
  output_ = Output::off_by_command;
  turn_off_left_s_.reset();
  restore_left_s_.reset();
  if (restore_after_s_ > 0) {
    restore_left_s_ = restore_after_s_;
  }
  event("output off by command");
  if (test_ != TestKind::none) {
    end_test("output off");
  }
  if (!mains_usable()) {
    powered_ = false;
    event("output off and no mains: UPS powered down");
  }
}

void UpsModel::switch_back_on(const std::string& why) {
  output_ = Output::on;
  restore_left_s_.reset();
  event("output on: " + why);
}

// --- time -------------------------------------------------------------------------------------

void UpsModel::advance(double total_s) {
  // Short steps keep events in order when --speed makes a loop tick worth minutes.
  while (total_s > 0) {
    double dt = std::min(total_s, kLongestStepS);
    step(dt);
    total_s -= dt;
  }
}

void UpsModel::step(double dt) {
  step_wanders(dt);
  step_turn_off(dt);
  step_test(dt);
  step_battery(dt);
}

void UpsModel::step_wanders(double dt) {
  if (!conditions_.jitter) {
    return;
  }
  for (Wander* w : {&input_wander_, &output_wander_, &frequency_wander_, &temperature_wander_, &load_wander_}) {
    w->step(dt, rng_);
  }
}

void UpsModel::step_turn_off(double dt) {
  if (turn_off_left_s_) {
    *turn_off_left_s_ -= dt;
    if (*turn_off_left_s_ <= 0) {
      switch_off_by_command();
    }
    return;
  }
  if (output_ == Output::off_by_command && restore_left_s_) {
    *restore_left_s_ -= dt;
    if (*restore_left_s_ > 0) {
      return;
    }
    restore_left_s_.reset();  // from here on the output waits for mains, if it is not there
    if (mains_usable()) {
      switch_back_on("restore time reached");
    } else {
      event("restore time reached: waiting for mains");
    }
  }
}

void UpsModel::step_test(double dt) {
  if (test_ == TestKind::timed) {
    test_left_s_ -= dt;
    if (test_left_s_ <= 0) {
      end_test("time is up");
    }
  }
}

void UpsModel::step_battery(double dt) {
  if (discharging()) {
    battery_.discharge(dt, conditions_.load_percent);
  } else if (mains_usable()) {
    battery_.charge(dt);
  }
  if (discharging() && battery_.low()) {
    was_low_ = true;
  } else if (battery_.voltage() >= battery_.levels().nominal_v) {
    was_low_ = false;
  }
  if (test_ != TestKind::none && battery_.low()) {
    end_test("battery low at " + volts(battery_.voltage()));
  }
  if (discharging() && !mains_usable() && battery_.exhausted()) {
    output_ = Output::off_at_cutoff;
    powered_ = false;
    turn_off_left_s_.reset();
    restore_left_s_.reset();
    event("battery exhausted at " + volts(battery_.voltage()) + ": output off, UPS powered down");
  }
}

// --- readings ---------------------------------------------------------------------------------

double UpsModel::wobble(const Wander& wander) const { return conditions_.jitter ? wander.offset() : 0.0; }

double UpsModel::input_reading() const {
  if (!mains_on_) {
    return conditions_.outage_input_v;
  }
  return std::max(0.0, mains_v_ + wobble(input_wander_));
}

double UpsModel::output_reading() const {
  if (output_ != Output::on) {
    return 0.0;
  }
  if (discharging() || avr_active()) {
    return kInverterV + wobble(output_wander_);
  }
  return input_reading();
}

std::uint8_t UpsModel::status_bits() const {
  std::uint8_t bits = status_bit::kLineInteractive;
  auto set_if = [&bits](bool condition, std::uint8_t bit) {
    if (condition) {
      bits |= bit;
    }
  };
  set_if(!mains_usable(), status_bit::kUtilityFail);
  set_if(battery_low_bit(), status_bit::kBatteryLow);
  set_if(avr_active(), status_bit::kAvr);
  set_if(conditions_.fault, status_bit::kUpsFault);
  set_if(test_ != TestKind::none, status_bit::kTest);
  set_if(shutdown_active(), status_bit::kShutdownActive);
  set_if(beeper_, status_bit::kBeeperOn);
  return bits;
}

StatusReading UpsModel::peek() const {
  StatusReading r;
  r.input_v = input_reading();
  r.input_fault_v = held_fault_v_.value_or(r.input_v);
  r.output_v = output_reading();
  r.load_percent = output_ == Output::on
                       ? static_cast<int>(std::lround(std::max(0.0, conditions_.load_percent + wobble(load_wander_))))
                       : 0;
  r.frequency_hz = conditions_.frequency_hz + (mains_usable() ? wobble(frequency_wander_) : 0.0);
  r.battery_v = battery_.voltage();
  if (conditions_.temperature_c) {
    r.temperature_c = *conditions_.temperature_c + wobble(temperature_wander_);
  }
  r.bits = status_bits();
  return r;
}

StatusReading UpsModel::report() {
  StatusReading r = peek();
  held_fault_v_.reset();
  return r;
}

void UpsModel::event(std::string text) { events_.push_back(std::move(text)); }

std::vector<std::string> UpsModel::take_events() { return std::exchange(events_, {}); }

}  // namespace upssim
