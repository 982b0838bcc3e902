#include "tools/setup_answer/answer_options.h"

#include <cwchar>

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
  } else if (name == L"--ui") {
    if (value != L"on" && value != L"off") return L"--ui takes on or off";
    options.tray_ui = value == L"on";
  } else if (name == L"--press") {
    if (value != L"ok" && value != L"cancel") return L"--press takes ok or cancel";
    options.press = value == L"ok" ? Button::kOk : Button::kCancel;
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
  return {options, L""};
}

const char kAnswerUsage[] =
    "usage: setup_answer [--vendor V [--model M]] [--port P] [--ui on|off] --press ok|cancel [--timeout-s N]\n"
    "Waits up to N seconds (30) for the setup dialog of another process, picks what is given and\n"
    "presses the button. Exit code 0 when everything was found, 1 when not, 2 on a wrong command line.\n";

}  // namespace setup_answer
