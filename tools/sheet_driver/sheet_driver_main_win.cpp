// sheet_driver: works the settings sheet of the running tray application from the command line,
// step by step in the order given, and prints each step:
//   sheet_driver.exe [--page N] [--set ID=VALUE] [--read ID] [--click ID] [--apply] [--ok|--cancel] ...
// The sheet is opened first (or found open). Exit code 0 when every step worked, 1 at the first
// step that failed (or no sheet), 2 on bad use.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/wide_text_win.h"
#include "tools/sheet_driver/sheet_driver_win.h"

namespace {

constexpr DWORD kOpenTimeoutMs = 15000;

void say(const std::wstring& line) {
  std::printf("sheet_driver: %s\n", platform::to_utf8(line).c_str());
  std::fflush(stdout);
}

// One step; false when it failed.
bool run_step(const sheet_driver::SheetDriver& sheet, const std::wstring& name, const std::wstring& value) {
  const int id = static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
  if (name == L"--page") return sheet.select_page(id);
  if (name == L"--click") return sheet.click(id);
  if (name == L"--read") {
    say(value + L"=" + sheet.read(id));
    return true;
  }
  if (name == L"--set") {
    const std::size_t equals = value.find(L'=');
    return equals != std::wstring::npos && sheet.set(id, value.substr(equals + 1));
  }
  if (name == L"--apply") return sheet.apply();
  if (name == L"--ok" || name == L"--cancel") return sheet.close(name == L"--ok", kOpenTimeoutMs);
  return false;
}

bool takes_value(const std::wstring& name) {
  return name == L"--page" || name == L"--click" || name == L"--read" || name == L"--set";
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args(words + 1, words + count);
  LocalFree(words);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!takes_value(args[i]) && args[i] != L"--apply" && args[i] != L"--ok" && args[i] != L"--cancel") {
      std::fputs("usage: sheet_driver.exe [--page N] [--set ID=VALUE] [--read ID] [--click ID] [--apply] "
                 "[--ok|--cancel] ...\n", stderr);
      return 2;
    }
    if (takes_value(args[i])) ++i;
  }
  const auto sheet = sheet_driver::SheetDriver::open(kOpenTimeoutMs);
  if (!sheet) {
    say(L"no settings sheet (is the tray application running?)");
    return 1;
  }
  say(L"the sheet is open with " + std::to_wstring(sheet->page_count()) + L" pages");
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring value = takes_value(args[i]) && i + 1 < args.size() ? args[i + 1] : L"";
    if (!run_step(*sheet, args[i], value)) {
      say(L"failed: " + args[i] + L" " + value);
      return 1;
    }
    if (args[i] != L"--read") say(args[i] + (value.empty() ? L"" : L" " + value));
    if (takes_value(args[i])) ++i;
  }
  return 0;
}
