#include "core/event_commands_win.h"

#include <windows.h>

#include <cwchar>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/command_output.h"
#include "core/event_texts.h"
#include "platform/debug_trace.h"
#include "platform/key_security_win.h"
#include "platform/registry_win.h"
#include "platform/wide_text_win.h"
#include "stats/log_event.h"

namespace core {
namespace {

constexpr std::size_t kMaxCommandChars = 32767;  // the system's limit for a command line
constexpr DWORD kOutputChunk = 4096;
constexpr UINT kEndedExitCode = 1;

constexpr char kValueNotUsable[] = "в реестре не строка или слишком длинная строка";
constexpr char kKeyNotProtected[] = "раздел Events доступен не только администраторам";

// What the Events key holds for an event that has a command: the command, or why it is refused.
struct StoredCommand {
  std::wstring line;
  const char* refusal = nullptr;
  std::uint32_t critical_wait_s = kDefaultCriticalCommandWaitS;
};

bool blank(const std::wstring& line) { return line.find_first_not_of(L" \t") == std::wstring::npos; }

std::optional<StoredCommand> stored_command(int code) {
  const std::string name = event_value_name(code);
  if (name.empty()) return std::nullopt;
  platform::UniqueKey key = platform::open_key(platform::kEventsKeyPath, KEY_QUERY_VALUE | READ_CONTROL);
  if (!key) return std::nullopt;
  StoredCommand command;
  const std::wstring wide_name(name.begin(), name.end());
  const platform::ValueRead read =
      platform::read_wide_string_value(key.get(), wide_name.c_str(), command.line, kMaxCommandChars);
  if (read == platform::ValueRead::absent || (read == platform::ValueRead::ok && blank(command.line)))
    return std::nullopt;
  if (read == platform::ValueRead::unusable) {
    command.refusal = kValueNotUsable;
  } else if (!platform::key_for_administrators_only(key.get())) {
    command.refusal = kKeyNotProtected;
  }
  std::uint32_t wait_s = 0;
  command.critical_wait_s = critical_command_wait_s(
      platform::read_dword_value(key.get(), kCriticalCommandWaitName, wait_s) ? std::optional(wait_s) : std::nullopt);
  return command;
}

void refuse(int code, const char* reason) {
  debug_trace("UPS::event %02d command not started: %s\n", code, reason);
  log_event(event::kCommandNotStarted.code, event::kCommandNotStarted.format, code, reason);
}

void refuse_start(int code, DWORD error) {
  char reason[96];
  const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  std::snprintf(reason, sizeof reason, missing ? "программа не найдена (ошибка %u)" : "ошибка запуска %u",
                static_cast<unsigned>(error));
  refuse(code, reason);
}

// The process's environment with the event's variables, as a block of UTF-16 entries.
std::wstring environment_block(const EventFacts& facts) {
  std::vector<std::string> inherited;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += std::wcslen(entry) + 1)
      inherited.push_back(platform::to_utf8(entry));
    FreeEnvironmentStringsW(strings);
  }
  std::wstring block;
  for (const std::string& entry : command_environment(inherited, facts)) {
    block += platform::to_wide(entry);
    block += L'\0';
  }
  block += L'\0';
  return block;
}

struct RunningCommand {
  platform::UniqueHandle process;
  DWORD process_id = 0;
  platform::UniqueHandle job;     // empty when the process could not be put into one
  platform::UniqueHandle output;  // the read end of its output and error streams
};

// Serialises the starts: a command started meanwhile would inherit this one's write end and keep
// its output open after it ended.
std::mutex start_mutex;

DWORD start(std::wstring line, const std::wstring& environment, RunningCommand& command) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  std::lock_guard lock(start_mutex);
  platform::UniqueHandle write_end;
  if (!CreatePipe(command.output.receive(), write_end.receive(), &inheritable, 0)) return GetLastError();
  SetHandleInformation(command.output.get(), HANDLE_FLAG_INHERIT, 0);
  platform::UniqueHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                           OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  PROCESS_INFORMATION info{};
  // Suspended until it is in its job, so that nothing it starts escapes the end at the limit.
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED,
                      const_cast<wchar_t*>(environment.c_str()), nullptr, &startup, &info))
    return GetLastError();
  command.process.reset(info.hProcess);
  command.process_id = info.dwProcessId;
  platform::UniqueHandle thread(info.hThread);
  // Before Windows 8 a process already in a job (as under some service hosts) cannot join
  // another: it then runs without one and only it is ended at the limit.
  command.job.reset(CreateJobObjectW(nullptr, nullptr));
  if (command.job && !AssignProcessToJobObject(command.job.get(), command.process.get())) command.job.reset();
  ResumeThread(thread.get());
  return ERROR_SUCCESS;
}

struct OutputReader {
  int code = 0;
  platform::UniqueHandle output;
  platform::UniqueHandle process;
  HMODULE module = nullptr;  // this code's module, kept loaded until the thread has ended
};

// Console programs write in the OEM code page when their output is a pipe.
void trace_lines(int code, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    debug_trace("UPS::event %02d command: %s\n", code, platform::to_utf8(platform::to_wide(line, CP_OEMCP)).c_str());
}

DWORD WINAPI read_output(void* parameter) {
  std::unique_ptr<OutputReader> reader(static_cast<OutputReader*>(parameter));
  CommandOutput output;
  char chunk[kOutputChunk];
  DWORD got = 0;
  while (ReadFile(reader->output.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
    trace_lines(reader->code, output.add({chunk, got}));
  trace_lines(reader->code, output.finish());
  WaitForSingleObject(reader->process.get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(reader->process.get(), &exit_code);
  debug_trace("UPS::event %02d command ended, exit code %u\n", reader->code, static_cast<unsigned>(exit_code));
  const HMODULE module = reader->module;
  reader.reset();
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

// The library may be unloaded while a command still runs (the host unloads it at the critical
// point): the reader holds a reference of its own.
HMODULE pin_this_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&pin_this_module), &module);
  return module;
}

void read_output_in_background(int code, RunningCommand& command) {
  auto reader = std::make_unique<OutputReader>();
  reader->code = code;
  reader->output = std::move(command.output);
  HANDLE process = nullptr;
  DuplicateHandle(GetCurrentProcess(), command.process.get(), GetCurrentProcess(), &process,
                  SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, 0);
  reader->process.reset(process);
  reader->module = pin_this_module();
  platform::UniqueHandle thread(CreateThread(nullptr, 0, read_output, reader.get(), 0, nullptr));
  if (!thread) {
    debug_trace("UPS::event %02d command: its output is not read (error %u)\n", code,
                static_cast<unsigned>(GetLastError()));
    if (reader->module) FreeLibrary(reader->module);
    return;
  }
  reader.release();
}

void wait_or_end(int code, RunningCommand& command, std::uint32_t wait_ms) {
  if (WaitForSingleObject(command.process.get(), wait_ms) != WAIT_TIMEOUT) return;
  if (!command.job || !TerminateJobObject(command.job.get(), kEndedExitCode))
    TerminateProcess(command.process.get(), kEndedExitCode);
  debug_trace("UPS::event %02d command ended at its limit of %u ms\n", code, static_cast<unsigned>(wait_ms));
  log_event(event::kCommandEnded.code, event::kCommandEnded.format, code, static_cast<unsigned>(wait_ms / 1000));
}

}  // namespace

void run_event_command(const EventFacts& facts) {
  std::optional<StoredCommand> command = stored_command(facts.code);
  if (!command) return;
  if (command->refusal) {
    refuse(facts.code, command->refusal);
    return;
  }
  RunningCommand running;
  if (const DWORD error = start(command->line, environment_block(facts), running); error != ERROR_SUCCESS) {
    refuse_start(facts.code, error);
    return;
  }
  debug_trace("UPS::event %02d command started, process %u\n", facts.code, static_cast<unsigned>(running.process_id));
  read_output_in_background(facts.code, running);
  if (const std::uint32_t wait_ms = command_wait_ms(facts.code, command->critical_wait_s); wait_ms > 0)
    wait_or_end(facts.code, running, wait_ms);
}

}  // namespace core
