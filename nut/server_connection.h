// ServerConnection: one client connection of the server, between its socket and its session: the
// bytes that arrived, the answer still to be sent, the pauses of the login slowdown, and when the
// connection is to be closed. The socket layer only moves bytes and asks it what to do.
//
// Requests are answered one at a time and in order: the next line is taken only once the previous
// answer has left entirely, so a client that never reads cannot make the server store more than
// one answer for it. While an answer is held back (the login slowdown) or unsent, nothing more is
// read from the connection (wants_to_read() is false), so the lines kept waiting are at most those
// of one read. Memory per connection therefore stays within the longest line, one read and one
// answer.
//
// The connection is closed (finished()) after LOGOUT's answer, after the answer to an overlong line
// (kOverlongLineAnswer), when the client hung up, and when it made no progress for kIdleLimit: no
// request arrived and no byte of an answer could be delivered (NUT's own server drops clients
// silent for as long). Time is passed in (monotonic milliseconds). Not thread-safe: the server's
// thread owns it.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "nut/line_reader.h"
#include "nut/server_session.h"

namespace nut {

class ServerConnection {
 public:
  using Milliseconds = std::chrono::milliseconds;

  static constexpr Milliseconds kIdleLimit{60000};

  ServerConnection(ServerShared& shared, ConnectionId id, std::string address, Milliseconds now);

  bool wants_to_read() const { return !finished_ && !answer_pending(); }
  // Bytes the client sent; the lines they complete are answered as far as the rules allow.
  void received(std::string_view bytes, Milliseconds now);
  void hung_up() { finished_ = true; }

  // The answer bytes due now; empty while there are none or they are held back.
  std::string_view to_send(Milliseconds now) const;
  // `count` bytes of to_send() left on the socket; the lines waiting behind them are answered.
  void sent(std::size_t count, Milliseconds now);

  // Answers the lines that waited behind a hold that has ended, and applies the idle limit.
  void tick(Milliseconds now);

  bool finished() const { return finished_; }
  // When tick() next has something to do.
  Milliseconds next_deadline() const;

  bool logged_in() const { return session_.logged_in(); }
  const std::string& address() const { return address_; }

 private:
  bool answer_pending() const { return !unsent_.empty(); }
  void answer_waiting_lines(Milliseconds now);
  void queue(std::string text, Milliseconds release_at, bool close_after);

  std::string address_;
  LineReader reader_{kMaxRequestLength};
  ServerSession session_;
  std::string unsent_;
  Milliseconds release_at_{0};  // unsent_ is held back until then
  bool close_after_send_ = false;
  bool finished_ = false;
  Milliseconds last_progress_;
};

}  // namespace nut
