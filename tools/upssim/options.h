// The simulator's command line:
//   upssim --link PATH [--scenario FILE] [--control FILE] [--record FILE] [--state FILE]
//          [--speed X] [--seed N] [--log FILE]
// Each option takes its value as the next argument; --link is required.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/upssim/parsed.h"

namespace upssim {

struct Options {
  std::string link;
  std::string scenario;
  std::string control;
  std::string record;
  std::string state;
  std::string log;
  double speed = 1.0;
  std::uint32_t seed = 1;
};

Parsed<Options> parse_options(const std::vector<std::string>& args);  // without the program name

const char* usage();

}  // namespace upssim
