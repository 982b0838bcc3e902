// CommandOutput: what an administrator's command writes, cut into the lines the debug trace
// takes. A line feed (with or without a carriage return before it) ends a line; a line longer
// than kMaxLine bytes is passed on in pieces of that size; what is left when the command ends is
// its last line.
//
// Used by the one thread that reads the command's output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class CommandOutput {
 public:
  static constexpr std::size_t kMaxLine = 1024;

  // The lines completed by `bytes`, without their line ends.
  std::vector<std::string> add(std::string_view bytes);
  // The unfinished last line, when there is one.
  std::vector<std::string> finish();

 private:
  std::string pending_;
};

}  // namespace core
