// Test helper: a NUT server played in simulated time behind the ServerStream interface. Each
// request the client sends is answered by `respond`; the answer's bytes arrive in pieces, each
// `piece_delay_ms` after the one before, and the connection may close after them. Receiving waits
// on the simulated clock, so a server that answers one byte a second or not at all costs the test
// nothing but shows what the client's budget does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nut/server_stream.h"

namespace nut::testing {

class FakeClock final : public SessionClock {
 public:
  std::uint32_t now_ms() override { return now; }
  void sleep_ms(std::uint32_t ms) override { now += ms; }
  std::uint32_t now = 1000;
};

struct Answer {
  std::string bytes;
  std::uint32_t piece_delay_ms = 0;
  std::size_t piece_size = 1 << 20;
  bool close_after = false;
};

// What a well-behaved server answers: OK to USERNAME, PASSWORD, LOGIN, INSTCMD and LOGOUT ("OK
// Goodbye"), and `list` (lines without their LF) to LIST VAR.
inline std::function<Answer(std::string_view)> friendly_server(std::vector<std::string> list) {
  return [list](std::string_view request) {
    if (request.rfind("LIST VAR", 0) == 0) {
      std::string text;
      for (const std::string& line : list) text += line + "\n";
      return Answer{text};
    }
    if (request.rfind("LOGOUT", 0) == 0) return Answer{"OK Goodbye\n", 0, 1 << 20, true};
    return Answer{"OK\n"};
  };
}

class ScriptedServer final : public ServerStream {
 public:
  explicit ScriptedServer(FakeClock& clock) : clock_(clock) {}

  std::function<Answer(std::string_view request)> respond;
  // The results of successive opens; `connected` once they run out.
  std::deque<OpenResult> opens;
  std::vector<std::uint32_t> open_times;
  std::vector<std::string> requests;
  int closes = 0;

  OpenResult open(const ServerAddress&, std::uint32_t) override {
    open_times.push_back(clock_.now);
    OpenResult result = OpenResult::connected;
    if (!opens.empty()) {
      result = opens.front();
      opens.pop_front();
    }
    open_ = result == OpenResult::connected;
    pieces_.clear();
    return result;
  }

  bool send(std::string_view bytes, std::uint32_t) override {
    if (!open_) return false;
    requests.emplace_back(bytes);
    if (!respond) return true;
    const Answer answer = respond(bytes);
    std::uint32_t at = clock_.now;
    for (std::size_t offset = 0; offset < answer.bytes.size(); offset += answer.piece_size) {
      at += answer.piece_delay_ms;
      pieces_.push_back({at, answer.bytes.substr(offset, answer.piece_size), false});
    }
    if (answer.close_after) pieces_.push_back({at, std::string(), true});
    return true;
  }

  Received receive(char* buffer, std::size_t room, std::uint32_t budget_ms) override {
    if (!open_) return {0, true};
    const std::uint32_t end = clock_.now + budget_ms;
    if (pieces_.empty()) {
      clock_.now = end;
      return {};
    }
    Piece& piece = pieces_.front();
    if (static_cast<std::int32_t>(piece.at - end) > 0) {
      clock_.now = end;
      return {};
    }
    clock_.now = std::max(clock_.now, piece.at);
    if (piece.closes) {
      pieces_.clear();
      return {0, true};
    }
    const std::size_t count = std::min(room, piece.bytes.size());
    std::copy_n(piece.bytes.begin(), count, buffer);
    piece.bytes.erase(0, count);
    if (piece.bytes.empty()) pieces_.pop_front();
    return {count, false};
  }

  void close() override {
    if (open_) ++closes;
    open_ = false;
    pieces_.clear();
  }

  std::string problem() const override { return "connection refused"; }

  bool is_open() const { return open_; }

 private:
  struct Piece {
    std::uint32_t at;
    std::string bytes;
    bool closes;
  };

  FakeClock& clock_;
  bool open_ = false;
  std::deque<Piece> pieces_;
};

}  // namespace nut::testing
