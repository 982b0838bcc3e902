// ClientSession: this computer as a client of one NUT server, following one UPS.
//
// Each polling cycle asks for the UPS's variables (LIST VAR) within the cycle's time budget,
// connecting first when there is no connection. With a user configured, a new connection logs in
// as a secondary (USERNAME, PASSWORD, LOGIN), so that the server's primary counts this computer
// and waits for it before the UPS is switched off; the same user runs instant commands.
//
// Nothing the server does can hold the caller longer than its budget or make it keep more than a
// bounded amount: one reply line is at most kMaxReplyLength bytes, one exchange at most
// kMaxExchangeBytes, a list at most VariableListReader's limit. Whenever the stream may be out of
// step with the requests (no answer in time, a broken or overlong reply, the connection closed) the
// connection is dropped and made anew; an "ERR" answer to a request leaves it as it is. After
// cycles without an answer, reconnection waits a growing pause (1, 2, then 4 s) so that a dead or
// refusing server is not hammered; an answer ends the pause.
//
// Changes worth knowing (connected, lost, refused) are written to the debug trace once each.
// Not thread-safe: the polling thread is the one user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "nut/client_protocol.h"
#include "nut/line_reader.h"
#include "nut/server_stream.h"

namespace nut {

inline constexpr std::size_t kMaxExchangeBytes = 64 * 1024;
inline constexpr std::uint32_t kLongestReconnectPauseMs = 4000;

struct ClientSettings {
  ServerAddress address;
  std::string user;  // empty: no login, no instant commands
  std::string password;
};

struct CycleReading {
  bool answered = false;
  ServerVariables variables;  // when answered
  std::string problem;        // when not: the server's ERR word or what the connection did
  // Set in the cycle of a new connection's login: its refusal (the server's ERR word).
  std::optional<std::string> login_refused;
};

struct CommandResult {
  bool done = false;
  std::string refusal;  // when not done: the server's ERR word, or why it was not sent
};

class ClientSession {
 public:
  ClientSession(ServerStream& stream, SessionClock& clock, ClientSettings settings);
  ClientSession(const ClientSession&) = delete;
  ClientSession& operator=(const ClientSession&) = delete;

  CycleReading read_variables(std::uint32_t budget_ms);

  // INSTCMD on the open connection; `parameter` may be null.
  CommandResult run_instant_command(std::string_view name, const std::string* parameter, std::uint32_t budget_ms);

  // LOGOUT, its answer awaited within the budget, and the connection closed. True when the server
  // acknowledged it.
  bool log_out(std::uint32_t budget_ms);

  bool connected() const { return connected_; }
  bool logged_in() const { return logged_in_; }
  const ClientSettings& settings() const { return settings_; }

 private:
  class Deadline;
  enum class LineEnd { line, timed_out, closed, overlong, too_much };
  enum class Connection { ready, pending, failed };

  static std::string end_text(LineEnd end, const char* what);
  Connection connect(Deadline& deadline, CycleReading& reading);
  std::optional<std::string> log_in(Deadline& deadline);
  bool request(std::string_view line, Deadline& deadline);
  LineEnd next_line(Deadline& deadline, std::string& line);
  void read_list(Deadline& deadline, CycleReading& reading);
  void drop(const std::string& why);
  void note_problem(const std::string& problem);
  std::uint32_t reconnect_pause_ms() const;

  ServerStream& stream_;
  SessionClock& clock_;
  ClientSettings settings_;
  std::string label_;
  LineReader reader_{kMaxReplyLength};
  std::size_t exchange_bytes_ = 0;
  bool connected_ = false;
  bool logged_in_ = false;
  unsigned failures_ = 0;            // cycles without an answer since the last one
  std::uint32_t failed_at_ms_ = 0;   // when the last of them ended
  std::string last_problem_;
};

}  // namespace nut
