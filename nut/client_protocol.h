// The client's half of the NUT network protocol: requests written the way NUT's own clients write
// them, and the server's reply lines read into what they say.
//
// A server may be hostile or broken, so nothing it sends is trusted: every reply line goes through
// the shared word splitter (quoted_words.h), a list is bounded in length, and a reply that is not the
// one expected ends the exchange as a protocol error instead of being guessed at. The objects here only
// read and decide; the socket, the per-line limit (LineReader) and the time budget are the caller's.
// Not thread-safe; one set per connection.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "nut/quoted_words.h"

namespace nut {

// Reply lines longer than this (before the LF) are not read: NUT's server never sends one over 512.
inline constexpr std::size_t kMaxReplyLength = 1024;

// One request line: the words, each quoted only when it has to be, and the LF.
std::string request_line(std::initializer_list<std::string_view> words);

struct Reply {
  enum class Kind { ok, error, variable, list_begin, list_end, other };
  Kind kind = Kind::other;
  std::string error;  // the word after ERR ("DATA-STALE", ...), for Kind::error
  Words words;        // the whole line
};

Reply parse_reply(std::string_view line);

// The value of "VAR <ups> <name> <value>" when the reply is that variable of that UPS.
bool read_variable(const Reply& reply, std::string_view ups, std::string_view name, std::string& value);

// The error word clients use for a reply that does not fit the exchange.
inline constexpr std::string_view kProtocolError = "PROTOCOL-ERROR";

// USERNAME, PASSWORD, LOGIN <ups>: what a secondary does so that the server's primary counts it.
class LoginFlow {
 public:
  enum class State { sending, logged_in, refused };

  LoginFlow(std::string user, std::string password, std::string ups);

  // The request to send now; empty once the flow has ended.
  const std::string& request() const { return request_; }
  // Takes the reply to request().
  State take(const Reply& reply);

  State state() const { return state_; }
  // Why the server refused: its ERR word, or kProtocolError.
  const std::string& refusal() const { return refusal_; }

 private:
  enum class Step { username, password, login };

  std::string user_;
  std::string password_;
  std::string ups_;
  Step step_ = Step::username;
  State state_ = State::sending;
  std::string request_;
  std::string refusal_;
};

// Variables by name, names in lower case (NUT's names are case-insensitive).
using ServerVariables = std::map<std::string, std::string>;

// Reads the reply lines of "LIST VAR <ups>" into variables.
class VariableListReader {
 public:
  enum class State { reading, complete, failed };

  static constexpr std::size_t kDefaultMaxVariables = 512;

  explicit VariableListReader(std::string ups, std::size_t max_variables = kDefaultMaxVariables);

  State take(const Reply& reply);

  State state() const { return state_; }
  const ServerVariables& variables() const { return variables_; }
  // The server's ERR word, or kProtocolError for a list that broke its own form or ran too long.
  const std::string& failure() const { return failure_; }

 private:
  State fail(std::string_view why);
  bool names_this_list(const Reply& reply, std::size_t first_word) const;

  std::string ups_;
  std::size_t max_variables_;
  bool begun_ = false;
  std::size_t variable_lines_ = 0;  // repeated names count too, so a list always ends
  State state_ = State::reading;
  ServerVariables variables_;
  std::string failure_;
};

}  // namespace nut
