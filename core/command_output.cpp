#include "core/command_output.h"

namespace core {
namespace {

std::string without_carriage_return(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::vector<std::string> CommandOutput::add(std::string_view bytes) {
  std::vector<std::string> lines;
  for (char c : bytes) {
    if (c == '\n') {
      lines.push_back(without_carriage_return(std::move(pending_)));
      pending_.clear();
      continue;
    }
    // A carriage return may still be a line end's first half: the cut waits for what follows it.
    if (pending_.size() >= kMaxLine && c != '\r') {
      lines.push_back(std::move(pending_));
      pending_.clear();
    }
    pending_ += c;
  }
  return lines;
}

std::vector<std::string> CommandOutput::finish() {
  std::vector<std::string> lines;
  std::string last = without_carriage_return(std::move(pending_));
  pending_.clear();
  if (!last.empty()) lines.push_back(std::move(last));
  return lines;
}

}  // namespace core
