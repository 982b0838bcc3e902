#include "tools/upssim/line_buffer.h"

namespace upssim {

LineBuffer::LineBuffer(char terminator, std::size_t max_length)
    : terminator_(terminator), dropped_(terminator == '\r' ? '\n' : '\r'), max_length_(max_length) {}

std::vector<std::string> LineBuffer::feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char c : bytes) {
    if (c == dropped_) {
      continue;
    }
    if (c == terminator_) {
      if (!discarding_) {
        lines.push_back(std::move(partial_));
      }
      partial_.clear();
      discarding_ = false;
      continue;
    }
    if (discarding_) {
      continue;
    }
    if (partial_.size() == max_length_) {
      partial_.clear();
      discarding_ = true;
      ++overflows_;
      continue;
    }
    partial_ += c;
  }
  return lines;
}

void LineBuffer::clear() {
  partial_.clear();
  discarding_ = false;
}

}  // namespace upssim
