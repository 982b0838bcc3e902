// ProtocolEngine: the UPS's side of the serial conversation. Takes the bytes the host sent and
// returns the bytes the UPS sends back, executing commands on the model as it goes.
//
// Commands end in CR (LF is ignored). Only the status query (Q1, QS), the information query (I)
// and the rating query (F) are answered; every other command, known or not, draws silence, which is how the host tells
// success. The line faults bend this on demand: silence, ignored queries, echo, a lone CR for
// commands, garbage before "(", an answer of a given length.
// While the cable is pulled or the UPS is powered down, received bytes are lost, including a
// command half received.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "tools/upssim/line_buffer.h"
#include "tools/upssim/line_faults.h"
#include "tools/upssim/log_sink.h"
#include "tools/upssim/ups_command.h"
#include "tools/upssim/ups_model.h"

namespace upssim {

class ProtocolEngine {
 public:
  ProtocolEngine(UpsModel& model, LineFaults& faults, std::uint32_t seed, LogSink log);

  // Returns the answer bytes (possibly none) to the bytes just received.
  std::string receive(std::string_view bytes);

  // `count` random bytes of line noise.
  std::string noise(std::size_t count);

 private:
  std::string answer(const std::string& line);
  std::string status_answer();
  void execute(const UpsCommand& command);
  std::string garbage(std::size_t count);

  UpsModel& model_;
  LineFaults& faults_;
  std::mt19937 rng_;
  LogSink log_;
  LineBuffer lines_;
};

}  // namespace upssim
