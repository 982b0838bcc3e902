#include "tray/elevated_start_win.h"

#include <shellapi.h>

#include <string>

#include "platform/debug_trace.h"
#include "platform/module_win.h"
#include "platform/wide_text_win.h"

namespace tray {
namespace {

constexpr wchar_t kHostFile[] = L"orvik_ups.exe";

// The host's full path: never found by a search that a user's folder could answer.
std::wstring host_path() {
  wchar_t library[MAX_PATH];
  const DWORD length = GetModuleFileNameW(platform::this_module(), library, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path(library, length);
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return path.substr(0, slash + 1) + kHostFile;
}

}  // namespace

bool start_elevated_host(HWND owner, const wchar_t* host_switch) {
  const std::wstring host = host_path();
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  start.hwnd = owner;
  start.lpVerb = L"runas";
  start.lpFile = host.c_str();
  start.lpParameters = host_switch;
  start.nShow = SW_SHOWNORMAL;
  const bool started = !host.empty() && ShellExecuteExW(&start);
  const DWORD error = started ? ERROR_SUCCESS : (host.empty() ? ERROR_BAD_PATHNAME : GetLastError());
  debug_trace("UPS_UI::elevated start %s: %lu\n", platform::to_utf8(host_switch).c_str(),
              static_cast<unsigned long>(error));
  if (!started && error != ERROR_CANCELLED)
    MessageBoxW(owner, L"Не удалось запустить программу с правами администратора.", L"Ошибка",
                MB_OK | MB_ICONWARNING);
  return started;
}

}  // namespace tray
