// The command line of setup_answer, the program that answers the setup dialog of another process:
//   setup_answer --vendor V [--model M] [--port P] [--server S --ups U [--user X --password W]]
//                [--ui on|off] --press ok|cancel|none [--timeout-s N]
// Every choice given is made; what is left out stays as the dialog shows it. The four fields of a
// UPS that another computer serves select the port entry "Сеть (NUT)" unless --port names another.
//
// Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup_answer {

// kNone leaves the dialog open with the choices made (for a picture; another run closes it).
enum class Button { kOk, kCancel, kNone };

struct AnswerOptions {
  std::optional<std::wstring> vendor;
  std::optional<std::wstring> model;  // only with a vendor
  std::optional<std::wstring> port;
  // The fields of a UPS that another computer serves.
  std::optional<std::wstring> server;
  std::optional<std::wstring> ups;
  std::optional<std::wstring> user;
  std::optional<std::wstring> password;
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
