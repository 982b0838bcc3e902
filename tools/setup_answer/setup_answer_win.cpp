// setup_answer: answers the setup dialog that another process shows, as an administrator would,
// for end-to-end tests of the installation and for the demo. Prints what it did.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "setup/setup_dialog_ids.h"
#include "tools/setup_answer/answer_options.h"
#include "tools/setup_answer/setup_dialog_driver_win.h"

namespace setup_answer {
namespace {

constexpr int kAnswered = 0;
constexpr int kNotFound = 1;
constexpr int kWrongCommandLine = 2;
constexpr int kRefused = 3;
constexpr DWORD kPressTimeoutMs = 10000;

std::string utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

void say(const std::string& line) {
  std::printf("setup_answer: %s\n", line.c_str());
  std::fflush(stdout);
}

int fail(const std::string& line) {
  std::fprintf(stderr, "setup_answer: %s\n", line.c_str());
  return kNotFound;
}

std::vector<std::wstring> arguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> list;
  for (int i = 1; i < count; ++i) list.emplace_back(words[i]);
  LocalFree(words);
  return list;
}

// Selects the vendor, or the model under it, and checks that the dialog's fields followed.
int choose_ups(const SetupDialogDriver& dialog, const AnswerOptions& options) {
  const std::wstring& vendor = *options.vendor;
  const std::wstring* model = options.model ? &*options.model : nullptr;
  std::string what = utf8(vendor) + (model ? " / " + utf8(*model) : "");
  HTREEITEM entry = dialog.find_entry(vendor, model);
  if (!entry) return fail("no tree entry " + what);
  if (!dialog.select_entry(entry)) return fail("the tree did not select " + what);
  std::wstring shown_vendor = dialog.control_text(IDC_SETUP_VENDOR);
  std::wstring shown_model = dialog.control_text(IDC_SETUP_MODEL);
  if (shown_vendor != vendor || shown_model != (model ? *model : L""))
    return fail("selected " + what + " but the dialog shows \"" + utf8(shown_vendor) + "\" / \"" + utf8(shown_model) +
                "\"");
  say("selected " + what);
  return kAnswered;
}

// The fields of a UPS that another computer serves; each given one must show what was typed.
int fill_network_fields(const SetupDialogDriver& dialog, const AnswerOptions& options) {
  const std::pair<int, const std::optional<std::wstring>*> fields[] = {{IDC_SETUP_NUT_SERVER, &options.server},
                                                                         {IDC_SETUP_NUT_UPS, &options.ups},
                                                                         {IDC_SETUP_NUT_USER, &options.user},
                                                                         {IDC_SETUP_NUT_PASSWORD, &options.password}};
  for (const auto& [id, value] : fields) {
    if (!*value) continue;
    if (!dialog.field_enabled(id)) return fail("the fields of a network UPS are not enabled");
    if (!dialog.set_field(id, **value)) return fail("a field of the network UPS did not take its text");
  }
  if (options.server || options.ups) say("server " + utf8(dialog.control_text(IDC_SETUP_NUT_SERVER)) + ", UPS " +
                                         utf8(dialog.control_text(IDC_SETUP_NUT_UPS)));
  if (options.user) say("user " + utf8(dialog.control_text(IDC_SETUP_NUT_USER)));
  return kAnswered;
}

int press_ok(const SetupDialogDriver& dialog) {
  const SetupDialogDriver::Outcome outcome = dialog.press_ok(kPressTimeoutMs);
  if (outcome.closed) {
    say("pressed OK");
    return kAnswered;
  }
  if (outcome.refusal.empty()) return fail("the dialog neither closed nor refused after OK");
  std::fprintf(stderr, "setup_answer: the dialog refused: %s\n", utf8(outcome.refusal).c_str());
  dialog.press(IDCANCEL);
  say("pressed Cancel after the refusal");
  return kRefused;
}

int answer(const AnswerOptions& options) {
  std::optional<SetupDialogDriver> dialog = SetupDialogDriver::attach(options.timeout_s * 1000u);
  if (!dialog)
    return fail("no setup dialog \"" SETUP_DIALOG_TITLE "\" within " + std::to_string(options.timeout_s) + " s");
  say("found the setup dialog");
  if (options.vendor && choose_ups(*dialog, options) != kAnswered) return kNotFound;
  if (options.port) {
    if (!dialog->select_port(*options.port)) return fail("no port " + utf8(*options.port));
    say("port " + utf8(dialog->selected_port()));
  }
  if (fill_network_fields(*dialog, options) != kAnswered) return kNotFound;
  if (options.tray_ui) {
    dialog->set_tray_box(*options.tray_ui);
    if (dialog->tray_box() != *options.tray_ui) return fail("the tray box did not change");
    say(std::string("tray UI at logon ") + (*options.tray_ui ? "on" : "off"));
  }
  if (options.press == Button::kOk) return press_ok(*dialog);
  if (options.press == Button::kNone) {
    say("left the dialog open");
    return kAnswered;
  }
  if (!dialog->press(IDCANCEL)) return fail("the dialog did not take the button");
  say("pressed Cancel");
  return kAnswered;
}

}  // namespace
}  // namespace setup_answer

int main() {
  using namespace setup_answer;
  ParsedOptions parsed = parse_answer_options(arguments());
  if (!parsed.options) {
    std::fprintf(stderr, "setup_answer: %s\n%s", utf8(parsed.error).c_str(), kAnswerUsage);
    return kWrongCommandLine;
  }
  return answer(*parsed.options);
}
