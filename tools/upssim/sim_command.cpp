#include "tools/upssim/sim_command.h"

#include <vector>

#include "tools/upssim/text_number.h"

namespace upssim {
namespace {

enum class Arg { none, on_off, number, count, number_or_none };

struct VerbRule {
  std::string_view name;
  SimVerb verb;
  Arg arg;
  double min = 0;
  double max = 0;
};

constexpr VerbRule kVerbs[] = {
    {"mains", SimVerb::mains, Arg::on_off},
    {"input", SimVerb::input, Arg::number, 0, 999.9},
    {"outage-input", SimVerb::outage_input, Arg::number, 0, 999.9},
    {"frequency", SimVerb::frequency, Arg::number, 0, 99.9},
    {"load", SimVerb::load, Arg::number, 0, 999},
    {"battery", SimVerb::battery, Arg::number, 0, 99.9},
    {"nominal", SimVerb::nominal, Arg::number, 2, 72},
    {"low-level", SimVerb::low_level, Arg::number, 0, 99.9},
    {"cutoff-level", SimVerb::cutoff_level, Arg::number, 0, 99.9},
    {"lowbat", SimVerb::lowbat, Arg::on_off},
    {"lowbat-hold", SimVerb::lowbat_hold, Arg::on_off},
    {"fault", SimVerb::fault, Arg::on_off},
    {"temp", SimVerb::temp, Arg::number_or_none, -9.9, 99.9},
    {"beeper", SimVerb::beeper, Arg::on_off},
    {"jitter", SimVerb::jitter, Arg::on_off},
    {"silence", SimVerb::silence, Arg::on_off},
    {"ignore", SimVerb::ignore, Arg::count, 0, 1000000},
    {"noise", SimVerb::noise, Arg::count, 0, 65536},
    {"garbage", SimVerb::garbage, Arg::count, 0, 4096},
    {"overlong", SimVerb::overlong, Arg::count, 1, 4096},
    {"echo", SimVerb::echo, Arg::on_off},
    {"slow", SimVerb::slow, Arg::count, 0, 60000},
    {"cr-reply", SimVerb::cr_reply, Arg::on_off},
    {"quit", SimVerb::quit, Arg::none},
};

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string_view::npos) {
      return out;
    }
    std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
    out.push_back(line.substr(pos, end - pos));
    pos = end;
  }
}

const VerbRule* find_verb(std::string_view name) {
  for (const VerbRule& rule : kVerbs) {
    if (rule.name == name) {
      return &rule;
    }
  }
  return nullptr;
}

std::string range_text(const VerbRule& rule) {
  auto number = [](double v) {
    std::string text = std::to_string(v);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
      text.pop_back();
    }
    return text;
  };
  return number(rule.min) + ".." + number(rule.max);
}

Parsed<SimCommand> read_number(const VerbRule& rule, std::string_view word, SimCommand command) {
  std::optional<double> value;
  if (rule.arg == Arg::count) {
    if (auto count = parse_count(word, static_cast<std::uint64_t>(rule.max))) {
      value = static_cast<double>(*count);
    }
  } else {
    value = parse_decimal(word);
  }
  if (!value || *value < rule.min || *value > rule.max) {
    std::string kind = rule.arg == Arg::count ? "a whole number" : "a number";
    return Failure{std::string(rule.name) + " needs " + kind + " in " + range_text(rule) + ", not \"" +
                   std::string(word) + "\""};
  }
  command.value = *value;
  command.on = true;
  return success(std::move(command));
}

Parsed<SimCommand> read_argument(const VerbRule& rule, std::string_view word, SimCommand command) {
  switch (rule.arg) {
    case Arg::on_off:
      if (word != "on" && word != "off") {
        return Failure{std::string(rule.name) + " needs on or off, not \"" + std::string(word) + "\""};
      }
      command.on = word == "on";
      return success(std::move(command));
    case Arg::number_or_none:
      if (word == "none") {
        return success(std::move(command));
      }
      [[fallthrough]];
    default:
      return read_number(rule, word, std::move(command));
  }
}

}  // namespace

Parsed<SimCommand> parse_sim_command(std::string_view line) {
  std::vector<std::string_view> w = words(line);
  if (w.empty()) {
    return Failure{"empty command"};
  }
  const VerbRule* rule = find_verb(w[0]);
  if (!rule) {
    return Failure{"unknown command \"" + std::string(w[0]) + "\""};
  }
  std::size_t wanted = rule->arg == Arg::none ? 1 : 2;
  if (w.size() != wanted) {
    return Failure{std::string(rule->name) + (wanted == 1 ? " takes no argument" : " takes one argument")};
  }
  SimCommand command;
  command.verb = rule->verb;
  command.text = std::string(w[0]);
  if (wanted == 1) {
    return success(std::move(command));
  }
  command.text += " " + std::string(w[1]);
  return read_argument(*rule, w[1], std::move(command));
}

}  // namespace upssim
