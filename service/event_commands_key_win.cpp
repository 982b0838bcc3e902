#include "service/event_commands_key_win.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "core/event_command.h"
#include "platform/handles_win.h"
#include "platform/key_security_win.h"
#include "platform/registry_win.h"
#include "platform/wide_text_win.h"
#include "service/console_output_win.h"

namespace service {
namespace {

constexpr std::size_t kMaxCommandChars = 32767;

constexpr char kUsage[] =
    "orvik_ups: команды на события задаются так:\n"
    "  /event:NN команда    команда на событие с кодом NN (01-99)\n"
    "  /event:NN            удалить команду на событие NN\n"
    "  /events              показать команды\n"
    "  /eventwait:N         сколько секунд ждать команду события 14 (0-600)\n";
constexpr char kNotWritten[] = "orvik_ups: раздел Events в реестре не записан; нужны права администратора\n";
constexpr char kNotRead[] = "orvik_ups: раздел Events в реестре не прочитан; нужны права администратора\n";

int failed(const char* message = kNotWritten) {
  write_error(message);
  return kEventSwitchFailed;
}

std::optional<std::uint32_t> stored_wait(HKEY key) {
  std::uint32_t seconds = 0;
  if (!platform::read_dword_value(key, core::kCriticalCommandWaitName, seconds)) return std::nullopt;
  return seconds;
}

// The commands by code; a value that is not a usable string shows as such.
std::map<int, std::string> stored_commands(HKEY key) {
  std::map<int, std::string> commands;
  wchar_t name[16];
  for (DWORD index = 0;; ++index) {
    DWORD name_chars = sizeof name / sizeof name[0];
    const LONG rc = RegEnumValueW(key, index, name, &name_chars, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // a name too long for a code
    const std::optional<int> code = core::event_code_of(platform::to_utf8(name));
    if (!code) continue;
    std::wstring command;
    commands[*code] = platform::read_wide_string_value(key, name, command, kMaxCommandChars) == platform::ValueRead::ok
                          ? platform::to_utf8(command)
                          : "(не строка)";
  }
  return commands;
}

}  // namespace

bool prepare_event_commands_key() {
  platform::UniqueKey key = platform::create_admin_only_key(platform::kEventsKeyPath);
  if (!key) return false;
  if (stored_wait(key.get())) return true;
  return platform::write_dword_value(key.get(), core::kCriticalCommandWaitName, core::kDefaultCriticalCommandWaitS);
}

int set_event_command(int code, const std::string& command) {
  platform::UniqueKey key = platform::create_admin_only_key(platform::kEventsKeyPath);
  if (!key) return failed();
  const std::string name = core::event_value_name(code);
  const std::wstring wide_name(name.begin(), name.end());
  if (command.empty()) {
    const LONG rc = RegDeleteValueW(key.get(), wide_name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? kEventSwitchDone : failed();
  }
  return platform::write_wide_string_value(key.get(), wide_name.c_str(), platform::to_wide(command)) ? kEventSwitchDone
                                                                                                     : failed();
}

int set_critical_command_wait(std::uint32_t seconds) {
  platform::UniqueKey key = platform::create_admin_only_key(platform::kEventsKeyPath);
  if (!key || !platform::write_dword_value(key.get(), core::kCriticalCommandWaitName, seconds)) return failed();
  return kEventSwitchDone;
}

int list_event_commands() {
  platform::UniqueKey key;
  const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, platform::kEventsKeyPath, 0, KEY_QUERY_VALUE, key.receive());
  if (rc != ERROR_SUCCESS) key.release();
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return failed(kNotRead);
  const std::uint32_t wait_s = core::critical_command_wait_s(key ? stored_wait(key.get()) : std::nullopt);
  std::string text = "CriticalCommandWait " + std::to_string(wait_s) + "\n";
  if (key)
    for (const auto& [code, command] : stored_commands(key.get()))
      text += core::event_value_name(code) + " " + command + "\n";
  write_output(text);
  return kEventSwitchDone;
}

int refuse_event_switch() {
  write_error(kUsage);
  return kEventSwitchMalformed;
}

}  // namespace service
