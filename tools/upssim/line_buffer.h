// LineBuffer: cuts a byte stream into lines at a terminator byte.
//
// The other line-end byte (LF when lines end in CR, CR when they end in LF) is dropped wherever it
// appears, so a peer that ends its lines with CR LF is understood either way.
// A line that grows past max_length without its terminator is discarded whole, up to and including
// the next terminator, and counted: a stream of noise can neither grow memory nor glue its tail
// onto the next real command.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace upssim {

class LineBuffer {
 public:
  LineBuffer(char terminator, std::size_t max_length);

  // Takes the next bytes; returns the lines they completed, without terminators.
  std::vector<std::string> feed(std::string_view bytes);

  // Forgets the line in progress (the peer's bytes were lost).
  void clear();

  std::size_t overflows() const { return overflows_; }

 private:
  char terminator_;
  char dropped_;
  std::size_t max_length_;
  std::string partial_;
  bool discarding_ = false;
  std::size_t overflows_ = 0;
};

}  // namespace upssim
