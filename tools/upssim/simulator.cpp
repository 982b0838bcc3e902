#include "tools/upssim/simulator.h"

#include <algorithm>
#include <utility>

#include "tools/upssim/escape.h"
#include "tools/upssim/state_text.h"

namespace upssim {
namespace {

constexpr std::size_t kLoggedBytes = 120;

// The protocol engine draws from its own generator, so line faults do not shift the physics.
constexpr std::uint32_t kLineSeedSalt = 0x9E3779B9u;

std::string loggable(std::string_view bytes) {
  if (bytes.size() <= kLoggedBytes) {
    return printable(bytes);
  }
  return printable(bytes.substr(0, kLoggedBytes)) + "... (" + std::to_string(bytes.size()) + " bytes)";
}

}  // namespace

Simulator::Simulator(double speed, std::uint32_t seed, LogSink log)
    : speed_(speed), log_(std::move(log)), model_(seed), protocol_(model_, faults_, seed ^ kLineSeedSalt, log_) {}

void Simulator::submit(ScriptStep step, double now_s) {
  double at = step.at_s;
  steps_.emplace(at, std::move(step));
  advance_to(now_s);
}

void Simulator::receive(std::string_view bytes, double now_s) {
  advance_to(now_s);
  std::string answer = protocol_.receive(bytes);
  log_events();
  if (!answer.empty()) {
    send(std::move(answer), now_s + faults_.slow_ms / 1000.0);
  }
}

void Simulator::advance_to(double now_s) {
  while (!steps_.empty() && steps_.begin()->first <= now_s && !quit_) {
    auto node = steps_.extract(steps_.begin());
    double at = std::max(node.key(), physics_at_s_);
    advance_physics(at);
    run(node.mapped(), at);
  }
  advance_physics(std::max(now_s, physics_at_s_));
}

void Simulator::advance_physics(double to_s) {
  model_.advance((to_s - physics_at_s_) * speed_);
  physics_at_s_ = to_s;
  log_events();
}

void Simulator::run(const ScriptStep& step, double now_s) {
  log_("cmd " + step.command.text + (step.origin.empty() ? "" : " (" + step.origin + ")"));
  if (!apply_to_model(step.command)) {
    apply_to_line(step.command, now_s);
  }
  log_events();
}

bool Simulator::apply_to_model(const SimCommand& c) {
  Conditions& world = model_.conditions();
  switch (c.verb) {
    case SimVerb::mains: model_.set_mains(c.on); break;
    case SimVerb::input: model_.set_mains_voltage(c.value); break;
    case SimVerb::outage_input: world.outage_input_v = c.value; break;
    case SimVerb::frequency: world.frequency_hz = c.value; break;
    case SimVerb::load: world.load_percent = c.value; break;
    case SimVerb::battery: model_.battery().set_voltage(c.value); break;
    case SimVerb::nominal: model_.battery().set_nominal(c.value); break;
    case SimVerb::low_level: model_.battery().levels().low_v = c.value; break;
    case SimVerb::cutoff_level: model_.battery().levels().cutoff_v = c.value; break;
    case SimVerb::lowbat: world.force_low = c.on; break;
    case SimVerb::lowbat_hold: world.hold_low = c.on; break;
    case SimVerb::fault: world.fault = c.on; break;
    case SimVerb::temp: world.temperature_c = c.on ? std::optional<double>(c.value) : std::nullopt; break;
    case SimVerb::beeper: model_.set_beeper(c.on); break;
    case SimVerb::jitter: world.jitter = c.on; break;
    default: return false;
  }
  return true;
}

void Simulator::apply_to_line(const SimCommand& c, double now_s) {
  auto count = static_cast<std::size_t>(c.value);
  switch (c.verb) {
    case SimVerb::silence: faults_.silence = c.on; break;
    case SimVerb::ignore: faults_.ignore_queries = count; break;
    case SimVerb::noise: send(protocol_.noise(count), now_s); break;
    case SimVerb::garbage: faults_.garbage_next = count; break;
    case SimVerb::overlong: faults_.overlong_next = count; break;
    case SimVerb::echo: faults_.echo = c.on; break;
    case SimVerb::slow: faults_.slow_ms = static_cast<int>(count); break;
    case SimVerb::cr_reply: faults_.cr_reply = c.on; break;
    case SimVerb::quit: quit_ = true; break;
    default: break;
  }
}

// Answers leave in the order they were made, even when `slow` was lowered in between.
void Simulator::send(std::string bytes, double due_s) {
  if (!output_.empty()) {
    due_s = std::max(due_s, output_.back().due_s);
  }
  output_.push_back({due_s, std::move(bytes)});
}

std::string Simulator::take_output(double now_s) {
  std::string bytes;
  while (!output_.empty() && output_.front().due_s <= now_s) {
    log_("tx " + loggable(output_.front().bytes));
    bytes += output_.front().bytes;
    output_.pop_front();
  }
  return bytes;
}

std::optional<double> Simulator::next_due() const {
  std::optional<double> due;
  if (!output_.empty()) {
    due = output_.front().due_s;
  }
  if (!steps_.empty()) {
    due = std::min(due.value_or(steps_.begin()->first), steps_.begin()->first);
  }
  return due;
}

std::string Simulator::state_text() const { return format_state(model_, faults_); }

void Simulator::log_events() {
  for (const std::string& e : model_.take_events()) {
    log_("ups: " + e);
  }
}

}  // namespace upssim
