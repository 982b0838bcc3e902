#include "tools/upssim/ups_command.h"

#include <optional>

namespace upssim {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> digits(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (!is_digit(c)) {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

// ".2"..".9" in tenths of a minute, or "01".."10" whole minutes.
std::optional<double> turn_off_delay(std::string_view text) {
  if (text.size() != 2) {
    return std::nullopt;
  }
  if (text[0] == '.') {
    if (text[1] < '2' || text[1] > '9') {
      return std::nullopt;
    }
    return (text[1] - '0') / 10.0;
  }
  auto minutes = digits(text);
  if (!minutes || *minutes < 1 || *minutes > 10) {
    return std::nullopt;
  }
  return *minutes;
}

UpsCommand turn_off(std::string_view args) {
  auto delay = turn_off_delay(args.substr(0, 2));
  if (!delay) {
    return {};
  }
  std::string_view rest = args.substr(2);
  if (rest.empty()) {
    return {UpsVerb::turn_off, *delay, 0};
  }
  if (rest.size() != 5 || rest[0] != 'R') {
    return {};
  }
  auto restore = digits(rest.substr(1));
  if (!restore) {
    return {};
  }
  return {UpsVerb::turn_off, *delay, *restore};
}

UpsCommand test(std::string_view args) {
  if (args.empty()) {
    return {UpsVerb::test_short};
  }
  if (args == "L") {
    return {UpsVerb::test_until_low};
  }
  auto minutes = args.size() == 2 ? digits(args) : std::nullopt;
  if (!minutes || *minutes < 1) {
    return {};
  }
  return {UpsVerb::test_minutes, static_cast<double>(*minutes)};
}

}  // namespace

UpsCommand parse_ups_command(std::string_view line) {
  if (line == "Q1" || line == "QS") {
    return {UpsVerb::status_query};
  }
  if (line == "I") {
    return {UpsVerb::info_query};
  }
  if (line == "F") {
    return {UpsVerb::rating_query};
  }
  if (line == "Q") {
    return {UpsVerb::beeper_toggle};
  }
  if (line == "CT") {
    return {UpsVerb::test_cancel};
  }
  if (line == "C") {
    return {UpsVerb::turn_off_cancel};
  }
  if (line.empty()) {
    return {};
  }
  if (line[0] == 'T') {
    return test(line.substr(1));
  }
  if (line[0] == 'S') {
    return turn_off(line.substr(1));
  }
  return {};
}

}  // namespace upssim
