#include "core/event_command.h"

#include <algorithm>
#include <cstdio>

#include "core/ups_state.h"

namespace core {
namespace {

constexpr int kCriticalPointCode = 14;
constexpr int kCommandNotStartedCode = 39;
constexpr int kCommandEndedCode = 40;
constexpr std::uint32_t kMsPerSecond = 1000;

constexpr std::string_view kEventVariables[] = {"UPS_EVENT", "UPS_TEXT", "UPS_STATE"};

bool is_digit(char c) { return c >= '0' && c <= '9'; }
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_name_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return ascii_upper(x) == ascii_upper(y);
         });
}

// The name of a "NAME=value" entry. The system's hidden per-drive entries ("=C:=C:\\") begin with
// the sign, so the name's end is searched from the second character.
std::string_view entry_name(std::string_view entry) {
  const std::size_t sign = entry.find('=', 1);
  return sign == std::string_view::npos ? entry : entry.substr(0, sign);
}

bool is_event_variable(std::string_view entry) {
  const std::string_view name = entry_name(entry);
  return std::any_of(std::begin(kEventVariables), std::end(kEventVariables),
                     [name](std::string_view variable) { return same_name_ignoring_case(name, variable); });
}

}  // namespace

std::string event_value_name(int code) {
  if (code < 1 || code > 99) return {};
  char name[3];
  std::snprintf(name, sizeof name, "%02d", code);
  return name;
}

std::optional<int> event_code_of(std::string_view name) {
  if (name.size() != 2 || !is_digit(name[0]) || !is_digit(name[1])) return std::nullopt;
  const int code = (name[0] - '0') * 10 + (name[1] - '0');
  if (code == 0) return std::nullopt;
  return code;
}

std::uint32_t critical_command_wait_s(std::optional<std::uint32_t> stored) {
  if (!stored) return kDefaultCriticalCommandWaitS;
  return std::min(*stored, kMaxCriticalCommandWaitS);
}

std::uint32_t command_wait_ms(int code, std::uint32_t critical_wait_s) {
  if (code != kCriticalPointCode) return 0;
  return std::min(critical_wait_s, kMaxCriticalCommandWaitS) * kMsPerSecond;
}

bool event_starts_command(int code) { return code != kCommandNotStartedCode && code != kCommandEndedCode; }

const char* state_word(std::uint32_t state) {
  switch (state) {
    case UPS_ONLINE:
      return "online";
    case UPS_ONBATTERY:
      return "onbattery";
    case UPS_LOWBATTERY:
      return "lowbattery";
    default:
      return "nocomm";
  }
}

std::vector<std::string> command_environment(const std::vector<std::string>& inherited, const EventFacts& facts) {
  std::vector<std::string> environment;
  environment.reserve(inherited.size() + std::size(kEventVariables));
  for (const std::string& entry : inherited)
    if (!is_event_variable(entry)) environment.push_back(entry);
  environment.push_back("UPS_EVENT=" + event_value_name(facts.code));
  environment.push_back("UPS_TEXT=" + std::string(facts.text));
  environment.push_back(std::string("UPS_STATE=") + state_word(facts.state));
  return environment;
}

}  // namespace core
