// NetworkLink: a UPS that another computer serves over the NUT network protocol, as this system's
// polling loop and command sender see a UPS on the cable.
//
// Each poll reads the server's variables within one polling cycle and maps them into the status
// record (status_mapping.h): on battery with the battery low is the battery-low bit, and the
// server's forced shutdown (FSD) comes along as a flag of its own (the critical point at once,
// on mains too, without a bit the record would wrongly publish); so do the server's own charge
// and runtime. A poll then waits out the rest of its second, so that
// the cycle keeps the pace of the serial link whatever the server does.
//
// Commands: battery tests and the beeper toggle go to the server as instant commands, run by the
// configured user when the server lets that user run them. The UPS belongs to the server's primary:
// its output turn-off and the cancel of one are never sent (controls_ups_output() is false), so a
// secondary can never cut the power of the other computers on the same UPS.
//
// Not thread-safe: the polling thread, or the host's thread once polling has stopped, is the one
// user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/derived_values.h"
#include "link/status_reading.h"
#include "link/ups_transport.h"
#include "nut/client_session.h"
#include "nut/instant_commands.h"

namespace nut {

// The pace of the polling loop: one cycle a second, the server's exchange within it.
inline constexpr std::uint32_t kCycleMs = 1000;
// How long an instant command may wait for its answer (the serial link waits as long).
inline constexpr std::uint32_t kCommandBudgetMs = 2000;

struct NetworkReading {
  ups_link::StatusReading reading;
  ups_link::ServerBatteryValues battery;
  bool forced_shutdown = false;     // FSD in ups.status
  // The server refused the login of a new connection in this cycle, for another reason than it
  // gave last time (a server that refuses every reconnection is told of once): its ERR word.
  std::optional<std::string> login_refused;
};

// The instant command that does what `ups_command` ("T\r", "T05\r", "TL\r", "CT\r", "Q\r") asks of
// the UPS; nothing for every other command, the turn-off ("S..") and its cancel ("C\r") above all.
std::optional<InstantCommandRequest> instant_command_for(std::string_view ups_command);

class NetworkLink final : public ups_link::UpsTransport {
 public:
  NetworkLink(ServerStream& stream, SessionClock& clock, ClientSettings settings);

  NetworkReading poll();

  // Empty when the server ran the command; otherwise why not (also in the debug trace).
  std::string command_reply(const char* command) override;
  bool controls_ups_output() const override { return false; }

  // LOGOUT and close, so that the server's primary stops waiting for this computer.
  void log_out();

  const ClientSession& session() const { return session_; }

 private:
  NetworkReading reading_from(const CycleReading& cycle);

  SessionClock& clock_;
  ClientSession session_;
  std::string label_;
  bool reported_unusable_ = false;
  std::string reported_refusal_;  // empty once a login succeeded
};

}  // namespace nut
