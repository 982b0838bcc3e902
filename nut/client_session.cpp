#include "nut/client_session.h"

#include <algorithm>

#include "platform/debug_trace.h"

namespace nut {

// The end of a budget in the clock's terms, robust against the clock's wrap.
class ClientSession::Deadline {
 public:
  Deadline(SessionClock& clock, std::uint32_t budget_ms) : clock_(clock), end_(clock.now_ms() + budget_ms) {}

  std::uint32_t left() const {
    const auto remaining = static_cast<std::int32_t>(end_ - clock_.now_ms());
    return remaining > 0 ? static_cast<std::uint32_t>(remaining) : 0;
  }

 private:
  SessionClock& clock_;
  std::uint32_t end_;
};

namespace {

constexpr std::uint32_t kFirstReconnectPauseMs = 1000;
constexpr std::size_t kReceiveChunk = 4096;

}  // namespace

ClientSession::ClientSession(ServerStream& stream, SessionClock& clock, ClientSettings settings)
    : stream_(stream), clock_(clock), settings_(std::move(settings)), label_(server_address_label(settings_.address)) {}

std::uint32_t ClientSession::reconnect_pause_ms() const {
  if (failures_ == 0) return 0;
  const unsigned doublings = std::min(failures_ - 1, 3u);
  return std::min(kFirstReconnectPauseMs << doublings, kLongestReconnectPauseMs);
}

void ClientSession::note_problem(const std::string& problem) {
  if (problem == last_problem_) return;
  if (problem.empty()) {
    debug_trace(" UPS::NUT %s: the server answers again\n", label_.c_str());
  } else {
    debug_trace(" UPS::NUT %s: %s\n", label_.c_str(), problem.c_str());
  }
  last_problem_ = problem;
}

void ClientSession::drop(const std::string& why) {
  stream_.close();
  connected_ = false;
  logged_in_ = false;
  note_problem(why);
}

bool ClientSession::request(std::string_view line, Deadline& deadline) {
  if (stream_.send(line, deadline.left())) return true;
  drop("cannot send: " + stream_.problem());
  return false;
}

ClientSession::LineEnd ClientSession::next_line(Deadline& deadline, std::string& line) {
  char buffer[kReceiveChunk];
  for (;;) {
    if (std::optional<std::string> next = reader_.next_line()) {
      line = std::move(*next);
      return LineEnd::line;
    }
    if (reader_.overlong()) return LineEnd::overlong;
    if (exchange_bytes_ >= kMaxExchangeBytes) return LineEnd::too_much;
    const std::uint32_t left = deadline.left();
    if (left == 0) return LineEnd::timed_out;
    const std::size_t room = std::min(sizeof buffer, kMaxExchangeBytes - exchange_bytes_);
    const ServerStream::Received got = stream_.receive(buffer, room, left);
    if (got.ended) return LineEnd::closed;
    exchange_bytes_ += got.count;
    reader_.feed({buffer, got.count});
  }
}

std::string ClientSession::end_text(LineEnd end, const char* what) {
  switch (end) {
    case LineEnd::timed_out: return std::string("no answer in time to ") + what;
    case LineEnd::closed: return std::string("the server closed the connection during ") + what;
    case LineEnd::overlong: return std::string("an overlong line in the answer to ") + what;
    case LineEnd::too_much: return std::string("too long an answer to ") + what;
    case LineEnd::line: break;
  }
  return what;
}

std::optional<std::string> ClientSession::log_in(Deadline& deadline) {
  LoginFlow flow(settings_.user, settings_.password, settings_.address.ups);
  while (flow.state() == LoginFlow::State::sending) {
    if (!request(flow.request(), deadline)) return std::nullopt;
    std::string line;
    const LineEnd end = next_line(deadline, line);
    if (end != LineEnd::line) {
      drop(end_text(end, "the login"));
      return std::nullopt;
    }
    flow.take(parse_reply(line));
  }
  if (flow.state() == LoginFlow::State::logged_in) {
    logged_in_ = true;
    debug_trace(" UPS::NUT %s: logged in as \"%s\", a secondary\n", label_.c_str(), settings_.user.c_str());
    return std::string();
  }
  debug_trace(" UPS::NUT %s: LOGIN as \"%s\" refused (%s): the server's primary will not wait for this computer\n",
              label_.c_str(), settings_.user.c_str(), flow.refusal().c_str());
  // An answer that is neither OK nor ERR leaves the stream out of step with the requests.
  if (flow.refusal() == kProtocolError) drop("a broken answer to the login");
  return flow.refusal();
}

ClientSession::Connection ClientSession::connect(Deadline& deadline, CycleReading& reading) {
  switch (stream_.open(settings_.address, deadline.left())) {
    case ServerStream::OpenResult::pending:
      reading.problem = "looking the server's name up";
      return Connection::pending;
    case ServerStream::OpenResult::failed:
      reading.problem = "cannot connect: " + stream_.problem();
      note_problem(reading.problem);
      return Connection::failed;
    case ServerStream::OpenResult::connected:
      break;
  }
  connected_ = true;
  logged_in_ = false;
  reader_ = LineReader(kMaxReplyLength);
  debug_trace(" UPS::NUT %s: connected\n", label_.c_str());
  if (settings_.user.empty()) return Connection::ready;
  std::optional<std::string> refusal = log_in(deadline);
  if (refusal && !refusal->empty()) reading.login_refused = std::move(*refusal);
  if (connected_) return Connection::ready;
  reading.problem = last_problem_;
  return Connection::failed;
}

void ClientSession::read_list(Deadline& deadline, CycleReading& reading) {
  const std::string& ups = settings_.address.ups;
  if (!request(request_line({"LIST", "VAR", ups}), deadline)) {
    reading.problem = last_problem_;
    return;
  }
  VariableListReader list(ups);
  bool first_line = true;
  while (list.state() == VariableListReader::State::reading) {
    std::string line;
    const LineEnd end = next_line(deadline, line);
    if (end != LineEnd::line) {
      drop(end_text(end, "LIST VAR"));
      reading.problem = last_problem_;
      return;
    }
    const Reply reply = parse_reply(line);
    if (list.take(reply) == VariableListReader::State::failed) {
      reading.problem = "the server says " + list.failure();
      // An ERR in place of the list keeps the stream in step; anything else may not.
      if (first_line && reply.kind == Reply::Kind::error) {
        note_problem(reading.problem);
      } else {
        drop(reading.problem);
      }
      return;
    }
    first_line = false;
  }
  reading.answered = true;
  reading.variables = list.variables();
}

CycleReading ClientSession::read_variables(std::uint32_t budget_ms) {
  CycleReading reading;
  if (!connected_ && failures_ > 0 && clock_.now_ms() - failed_at_ms_ < reconnect_pause_ms()) {
    reading.problem = last_problem_;
    return reading;
  }
  Deadline deadline(clock_, budget_ms);
  exchange_bytes_ = 0;
  const Connection connection = connected_ ? Connection::ready : connect(deadline, reading);
  if (connection == Connection::ready) read_list(deadline, reading);
  if (reading.answered) {
    failures_ = 0;
    note_problem(std::string());
  } else if (connection != Connection::pending) {
    ++failures_;
    failed_at_ms_ = clock_.now_ms();
  }
  return reading;
}

CommandResult ClientSession::run_instant_command(std::string_view name, const std::string* parameter,
                                                 std::uint32_t budget_ms) {
  if (settings_.user.empty()) return {false, "no user is configured"};
  if (!connected_) return {false, "no connection to the server"};
  Deadline deadline(clock_, budget_ms);
  exchange_bytes_ = 0;
  const std::string& ups = settings_.address.ups;
  const std::string line =
      parameter ? request_line({"INSTCMD", ups, name, *parameter}) : request_line({"INSTCMD", ups, name});
  if (!request(line, deadline)) return {false, last_problem_};
  std::string answer;
  const LineEnd end = next_line(deadline, answer);
  if (end != LineEnd::line) {
    drop(end_text(end, "INSTCMD"));
    return {false, last_problem_};
  }
  const Reply reply = parse_reply(answer);
  if (reply.kind == Reply::Kind::ok) return {true, std::string()};
  if (reply.kind == Reply::Kind::error) return {false, reply.error};
  drop("a broken answer to INSTCMD");
  return {false, std::string(kProtocolError)};
}

bool ClientSession::log_out(std::uint32_t budget_ms) {
  if (!connected_) return false;
  Deadline deadline(clock_, budget_ms);
  exchange_bytes_ = 0;
  bool acknowledged = false;
  if (request(request_line({"LOGOUT"}), deadline)) {
    std::string line;
    acknowledged = next_line(deadline, line) == LineEnd::line && parse_reply(line).kind == Reply::Kind::ok;
  }
  debug_trace(acknowledged ? " UPS::NUT %s: logged out\n" : " UPS::NUT %s: LOGOUT sent, not acknowledged\n",
              label_.c_str());
  stream_.close();
  connected_ = false;
  logged_in_ = false;
  return acknowledged;
}

}  // namespace nut
