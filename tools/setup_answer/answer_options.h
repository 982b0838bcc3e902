// The command line of setup_answer, the program that answers the setup dialog of another process:
//   setup_answer --vendor V [--model M] [--port P] [--ui on|off] --press ok|cancel [--timeout-s N]
// Every choice given is made; what is left out stays as the dialog shows it.
//
// Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup_answer {

enum class Button { kOk, kCancel };

struct AnswerOptions {
  std::optional<std::wstring> vendor;
  std::optional<std::wstring> model;  // only with a vendor
  std::optional<std::wstring> port;
  std::optional<bool> tray_ui;
  Button press = Button::kOk;
  int timeout_s = 30;  // how long to wait for the dialog to appear
};

struct ParsedOptions {
  std::optional<AnswerOptions> options;
  std::wstring error;  // why there are none
};

// `arguments` without the program name.
ParsedOptions parse_answer_options(const std::vector<std::wstring>& arguments);

extern const char kAnswerUsage[];

}  // namespace setup_answer
