#include "tools/upssim/options.h"

#include <limits>

#include "tools/upssim/text_number.h"

namespace upssim {
namespace {

constexpr double kFastestSpeed = 10000;

std::string* path_option(Options& o, const std::string& name) {
  if (name == "--link") return &o.link;
  if (name == "--scenario") return &o.scenario;
  if (name == "--control") return &o.control;
  if (name == "--record") return &o.record;
  if (name == "--state") return &o.state;
  if (name == "--log") return &o.log;
  return nullptr;
}

Parsed<Options> set_number(Options o, const std::string& name, const std::string& value) {
  if (name == "--speed") {
    std::optional<double> speed = parse_decimal(value);
    if (!speed || *speed <= 0 || *speed > kFastestSpeed) {
      return Failure{"--speed needs a number above 0 and at most 10000, not \"" + value + "\""};
    }
    o.speed = *speed;
    return success(std::move(o));
  }
  std::optional<std::uint64_t> seed = parse_count(value, std::numeric_limits<std::uint32_t>::max());
  if (!seed) {
    return Failure{"--seed needs a whole number 0..4294967295, not \"" + value + "\""};
  }
  o.seed = static_cast<std::uint32_t>(*seed);
  return success(std::move(o));
}

}  // namespace

Parsed<Options> parse_options(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const std::string& name = args[i];
    bool numeric = name == "--speed" || name == "--seed";
    std::string* path = path_option(o, name);
    if (!numeric && !path) {
      return Failure{"unknown option \"" + name + "\""};
    }
    if (i + 1 == args.size() || args[i + 1].empty()) {
      return Failure{name + " needs a value"};
    }
    if (path) {
      *path = args[i + 1];
      continue;
    }
    Parsed<Options> updated = set_number(std::move(o), name, args[i + 1]);
    if (!updated) {
      return updated;
    }
    o = std::move(*updated.value);
  }
  if (o.link.empty()) {
    return Failure{"--link PATH is required"};
  }
  return success(std::move(o));
}

const char* usage() {
  return "usage: upssim --link PATH [--scenario FILE] [--control FILE] [--record FILE] [--state FILE]\n"
         "              [--speed X] [--seed N] [--log FILE]\n";
}

}  // namespace upssim
