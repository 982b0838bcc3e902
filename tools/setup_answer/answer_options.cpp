#include "tools/setup_answer/answer_options.h"

#include <cwchar>

#include "setup/network_entry.h"

namespace setup_answer {
namespace {

constexpr int kLongestTimeoutS = 3600;

std::optional<int> seconds(const std::wstring& text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  if (value < 1 || value > kLongestTimeoutS) return std::nullopt;
  return value;
}

// Applies one option and its value; an error text when either is wrong.
std::wstring apply(AnswerOptions& options, bool& pressed, const std::wstring& name, const std::wstring& value) {
  if (name == L"--vendor") {
    options.vendor = value;
  } else if (name == L"--model") {
    options.model = value;
  } else if (name == L"--port") {
    options.port = value;
  } else if (name == L"--server") {
    options.server = value;
  } else if (name == L"--ups") {
    options.ups = value;
  } else if (name == L"--user") {
    options.user = value;
  } else if (name == L"--password") {
    options.password = value;
  } else if (name == L"--ui") {
    if (value != L"on" && value != L"off") return L"--ui takes on or off";
    options.tray_ui = value == L"on";
  } else if (name == L"--press") {
    if (value != L"ok" && value != L"cancel" && value != L"none") return L"--press takes ok, cancel or none";
    options.press = value == L"ok" ? Button::kOk : value == L"cancel" ? Button::kCancel : Button::kNone;
    pressed = true;
  } else if (name == L"--timeout-s") {
    std::optional<int> timeout = seconds(value);
    if (!timeout) return L"--timeout-s takes whole seconds from 1 to 3600";
    options.timeout_s = *timeout;
  } else {
    return L"unknown option " + name;
  }
  return L"";
}

}  // namespace

ParsedOptions parse_answer_options(const std::vector<std::wstring>& arguments) {
  AnswerOptions options;
  bool pressed = false;
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    if (i + 1 == arguments.size()) return {std::nullopt, arguments[i] + L" lacks its value"};
    std::wstring error = apply(options, pressed, arguments[i], arguments[i + 1]);
    if (!error.empty()) return {std::nullopt, error};
  }
  if (!pressed) return {std::nullopt, L"--press is required"};
  if (options.model && !options.vendor) return {std::nullopt, L"--model needs --vendor"};
  const bool network_fields = options.server || options.ups || options.user || options.password;
  if (network_fields && !options.port) options.port = installation::kNetworkPortEntry;
  return {options, L""};
}

const char kAnswerUsage[] =
    "usage: setup_answer [--vendor V [--model M]] [--port P] [--server S --ups U [--user X --password W]]\n"
    "                    [--ui on|off] --press ok|cancel|none [--timeout-s N]\n"
    "Waits up to N seconds (30) for the setup dialog of another process, picks what is given, fills in\n"
    "the fields of a UPS served over the network and presses the button. Exit code 0 when everything\n"
    "was found and the dialog took the answer, 1 when something was not found, 2 on a wrong command\n"
    "line, 3 when the dialog refused the answer (its message is printed; the dialog is then cancelled).\n"
    "--press none leaves the dialog open with the choices made, for a picture.\n";

}  // namespace setup_answer
