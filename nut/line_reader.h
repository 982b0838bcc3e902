// LineReader: cuts the byte stream of one connection into the lines of the NUT network protocol.
//
// A line ends with LF; a CR right before it is dropped, so CR LF and LF both end a line (a lone CR
// is left to the word splitter, which reads it as a blank). Bytes arrive in whatever pieces the socket
// hands over; a line may span many pieces and one piece may hold many lines. Any byte value may
// arrive: the reader only looks for LF.
//
// A line longer than the limit is never stored: the reader reports it as overlong once the lines
// before it have been taken, and from then on ignores everything (the server answers an error and
// closes; a client drops the connection). Memory stays within the limit plus the pieces fed since the
// last next_line(). Not thread-safe; one reader per connection.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace nut {

class LineReader {
 public:
  // `max_line_length` counts the bytes before the LF (a CR before it included).
  explicit LineReader(std::size_t max_line_length) : max_line_length_(max_line_length) {}

  void feed(std::string_view bytes);

  // The next complete line, without its line end; nothing when no complete line is waiting.
  std::optional<std::string> next_line();

  // True once an overlong line was met and every line before it has been taken.
  bool overlong() const { return overlong_ && complete_.empty(); }

 private:
  void take_piece(std::string_view piece);
  void end_line();

  std::size_t max_line_length_;
  std::string partial_;
  std::deque<std::string> complete_;
  bool overlong_ = false;
};

}  // namespace nut
