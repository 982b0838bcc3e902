#include "nut/line_reader.h"

namespace nut {

void LineReader::feed(std::string_view bytes) {
  while (!overlong_ && !bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    take_piece(bytes.substr(0, end));
    if (end == std::string_view::npos) return;
    if (!overlong_) end_line();
    bytes.remove_prefix(end + 1);
  }
}

void LineReader::take_piece(std::string_view piece) {
  if (partial_.size() + piece.size() > max_line_length_) {
    overlong_ = true;
    partial_.clear();
    return;
  }
  partial_.append(piece);
}

void LineReader::end_line() {
  if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
  complete_.push_back(std::move(partial_));
  partial_.clear();
}

std::optional<std::string> LineReader::next_line() {
  if (complete_.empty()) return std::nullopt;
  std::string line = std::move(complete_.front());
  complete_.pop_front();
  return line;
}

}  // namespace nut
