#include "service/tray_autostart_win.h"

#include <windows.h>

#include "platform/handles_win.h"
#include "platform/registry_win.h"
#include "service/program_files_win.h"
#include "tray/tray_ids.h"

namespace service {
namespace {

constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kAutostartValue[] = L"UPS_UI";

platform::UniqueKey open_run_key() {
  platform::UniqueKey key;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, platform::kKeyReadWrite, key.receive());
  return key;
}

}  // namespace

std::wstring tray_command_line() { return L"\"" + this_program_path() + L"\" /gui"; }

void write_tray_autostart() {
  platform::UniqueKey run = open_run_key();
  if (!run) return;
  const std::wstring command = tray_command_line();
  RegSetValueExW(run.get(), kAutostartValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

void delete_tray_autostart() {
  platform::UniqueKey run = open_run_key();
  if (run) RegDeleteValueW(run.get(), kAutostartValue);
}

void start_tray_application() { start_program(tray_command_line()); }

bool tray_application_running() { return FindWindowW(nullptr, tray::kTrayWindowTitle) != nullptr; }

}  // namespace service
