#include "tools/upssim/scenario.h"

#include "tools/upssim/text_number.h"

namespace upssim {
namespace {

constexpr double kLatestS = 1e7;  // over 100 days; anything later is a typo

std::string_view trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string_view without_comment(std::string_view line) { return line.substr(0, line.find('#')); }

bool starts_with_word(std::string_view text, std::string_view word) {
  return text.size() > word.size() && text.substr(0, word.size()) == word &&
         (text[word.size()] == ' ' || text[word.size()] == '\t');
}

}  // namespace

Parsed<std::optional<ScriptStep>> parse_script_line(std::string_view raw) {
  std::string_view line = trim(without_comment(raw));
  if (line.empty()) {
    return success(std::optional<ScriptStep>());
  }
  ScriptStep step;
  if (starts_with_word(line, "at")) {
    std::string_view rest = trim(line.substr(2));
    std::size_t gap = std::min(rest.find_first_of(" \t"), rest.size());
    std::optional<double> at = parse_decimal(rest.substr(0, gap));
    if (!at || *at < 0 || *at > kLatestS) {
      return Failure{"\"at\" needs a time in seconds, not \"" + std::string(rest.substr(0, gap)) + "\""};
    }
    step.at_s = *at;
    line = trim(rest.substr(gap));
  }
  Parsed<SimCommand> command = parse_sim_command(line);
  if (!command) {
    return Failure{command.error};
  }
  step.command = std::move(*command.value);
  return success(std::optional<ScriptStep>(std::move(step)));
}

Parsed<std::vector<ScriptStep>> parse_scenario(std::string_view text, std::string_view file_name) {
  std::vector<ScriptStep> steps;
  int number = 0;
  while (!text.empty()) {
    std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    Parsed<std::optional<ScriptStep>> step = parse_script_line(line);
    if (!step) {
      return Failure{std::string(file_name) + ":" + std::to_string(number) + ": " + step.error};
    }
    if (*step.value) {
      (*step.value)->origin = "scenario line " + std::to_string(number);
      steps.push_back(std::move(**step.value));
    }
  }
  return success(std::move(steps));
}

}  // namespace upssim
