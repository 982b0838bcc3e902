// Simulator: the whole simulated UPS behind the one interface the event loop drives: the model,
// the serial protocol, the line faults and the timed script. Time comes in as seconds of real time
// since start; the model's physics runs `speed` times faster, while answers and script steps keep
// real time. Portable: it never touches a file or a descriptor, the loop moves the bytes.
// Not thread-safe.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tools/upssim/line_faults.h"
#include "tools/upssim/log_sink.h"
#include "tools/upssim/protocol.h"
#include "tools/upssim/scenario.h"
#include "tools/upssim/ups_model.h"

namespace upssim {

class Simulator {
 public:
  Simulator(double speed, std::uint32_t seed, LogSink log);

  // A step due by now runs at once; a later one when advance_to() reaches its time.
  void submit(ScriptStep step, double now_s);

  // Bytes from the host. The answer is queued (see take_output), `slow` ms later.
  void receive(std::string_view bytes, double now_s);

  // Runs the script steps due by now, each at its own time, and the physics up to now.
  void advance_to(double now_s);

  // The bytes due on the line by now, in order.
  std::string take_output(double now_s);

  // The earliest time something is due: a held-back answer or a script step.
  std::optional<double> next_due() const;

  bool quit_requested() const { return quit_; }
  std::string state_text() const;
  const UpsModel& model() const { return model_; }

 private:
  struct Pending {
    double due_s;
    std::string bytes;
  };

  void run(const ScriptStep& step, double now_s);
  bool apply_to_model(const SimCommand& command);
  void apply_to_line(const SimCommand& command, double now_s);
  void advance_physics(double to_s);
  void send(std::string bytes, double due_s);
  void log_events();

  double speed_;
  LogSink log_;
  UpsModel model_;
  LineFaults faults_;
  ProtocolEngine protocol_;
  std::multimap<double, ScriptStep> steps_;  // equal times keep their order
  std::deque<Pending> output_;
  double physics_at_s_ = 0;
  bool quit_ = false;
};

}  // namespace upssim
