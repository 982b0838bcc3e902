#include "service/command_line.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "setup/port_list.h"

namespace service {
namespace {

struct Switch {
  const char* text;
  HostCommand command;
};

// Tried in this order; the first whole-line match wins.
const Switch kSwitches[] = {
    {"/setup", {HostMode::kReconfigure, 0, {}}},
    {"/installGUI", {HostMode::kInstallGui, 0, {}}},
    {"/uninstallGUI", {HostMode::kUninstallGui, 0, {}}},
    {"/install", {HostMode::kInstall, 0, {}}},
    {"/uninstall", {HostMode::kUninstall, 0, {}}},
    {"/gui", {HostMode::kGui, 0, {}}},
    {"/app", {HostMode::kApp, 0, {}}},
    {"/statistics", {HostMode::kStatistics, 0, {}}},
    {"/shutdownUPS", {HostMode::kPowerAction, 1, {}}},
    {"/hibernateUPS", {HostMode::kPowerAction, 2, {}}},
    {"/shutdown", {HostMode::kPowerAction, 5, {}}},
    {"/hibernate", {HostMode::kPowerAction, 6, {}}},
    {"/reset", {HostMode::kPowerAction, 3, {}}},
    {"/suspend", {HostMode::kPowerAction, 4, {}}},
};

constexpr std::string_view kInstallWithChoice = "/install";

bool blank(char c) { return c == ' ' || c == '\t'; }
char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Blank-separated words; a double quote toggles grouping and is dropped, as the system's own
// argument splitting does for quotes (backslashes are not escapes here: no listed name has a quote).
std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> result;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : line) {
    if (blank(c) && !quoted) {
      if (in_word) result.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '"')
      quoted = !quoted;
    else
      word += c;
  }
  if (in_word) result.push_back(word);
  return result;
}

// The port as the dialog lists it, whatever the case it was typed in.
std::optional<std::string> listed_port(std::string_view typed) {
  for (const std::wstring& entry : installation::port_entries()) {
    if (entry.size() != typed.size()) continue;
    std::string listed(entry.begin(), entry.end());  // the entries are ASCII
    bool same = true;
    for (std::size_t i = 0; i < listed.size() && same; ++i) same = listed[i] == ascii_upper(typed[i]);
    if (same) return listed;
  }
  return std::nullopt;
}

// Takes `word` when it is `name` followed by a value, which must be given once and not be empty.
bool take_value(const std::string& word, std::string_view name, std::optional<std::string>& value, bool& bad) {
  if (word.compare(0, name.size(), name) != 0) return false;
  if (value || word.size() == name.size()) bad = true;
  value = word.substr(name.size());
  return true;
}

HostCommand parse_given_choice(std::string_view options) {
  std::optional<std::string> vendor, model, port;
  bool tray = false;
  bool bad = false;
  for (const std::string& word : words(options)) {
    if (take_value(word, "/vendor:", vendor, bad) || take_value(word, "/model:", model, bad) ||
        take_value(word, "/port:", port, bad))
      continue;
    if (word == "/tray" && !tray)
      tray = true;
    else
      bad = true;
  }
  HostCommand refused{HostMode::kInstallRefused, 0, {}};
  if (bad || !vendor || !model || !port) return refused;
  std::optional<std::string> listed = listed_port(*port);
  if (!listed) return refused;
  return {HostMode::kInstallGiven, 0, {*vendor, *model, *listed, tray}};
}

}  // namespace

HostCommand parse_command_line(const char* arguments) {
  if (!arguments) return {};
  for (const Switch& s : kSwitches)
    if (std::strcmp(arguments, s.text) == 0) return s.command;
  const std::string_view line(arguments);
  if (line.size() > kInstallWithChoice.size() && line.substr(0, kInstallWithChoice.size()) == kInstallWithChoice &&
      blank(line[kInstallWithChoice.size()]))
    return parse_given_choice(line.substr(kInstallWithChoice.size()));
  return {};
}

}  // namespace service
