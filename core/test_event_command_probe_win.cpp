// Test helper: a program the tests set as the administrator's command on an event. It does what
// its options ask, in their order:
//   --env FILE    writes UPS_EVENT, UPS_TEXT and UPS_STATE as "NAME=value" lines (UTF-8) to FILE,
//                 which appears whole or not at all
//   --print       writes two lines to its output stream, one to its error stream and an
//                 unfinished last one, in the OEM code page as console programs do
//   --sleep S     sleeps S seconds
//   --spawn FILE  starts a copy of itself that sleeps two minutes, and writes the copy's process id
//                 to FILE
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

std::wstring variable(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD length = GetEnvironmentVariableW(name, value, sizeof value / sizeof value[0]);
  return length > 0 && length < sizeof value / sizeof value[0] ? std::wstring(value, length) : L"(unset)";
}

void write_whole(const std::wstring& path, const std::string& content) {
  const std::wstring partial = path + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void write_environment(const std::wstring& path) {
  write_whole(path, "UPS_EVENT=" + utf8(variable(L"UPS_EVENT")) + "\nUPS_TEXT=" + utf8(variable(L"UPS_TEXT")) +
                        "\nUPS_STATE=" + utf8(variable(L"UPS_STATE")) + "\n");
}

void write_oem(DWORD stream, const wchar_t* text) {
  char bytes[256];
  const int length = WideCharToMultiByte(CP_OEMCP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  DWORD written = 0;
  if (length > 1) WriteFile(GetStdHandle(stream), bytes, static_cast<DWORD>(length - 1), &written, nullptr);
}

void print() {
  write_oem(STD_OUTPUT_HANDLE, L"first line\r\nsecond line\n");
  write_oem(STD_ERROR_HANDLE, L"café on the error stream\n");
  write_oem(STD_OUTPUT_HANDLE, L"unfinished");
}

void spawn_sleeper(const std::wstring& pid_file) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(program) + L"\" --sleep 120";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return;
  write_whole(pid_file, std::to_string(info.dwProcessId));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) {
    const std::wstring option = arguments[i];
    if (option == L"--print") {
      print();
      continue;
    }
    if (i + 1 >= count) break;
    const std::wstring value = arguments[++i];
    if (option == L"--env")
      write_environment(value);
    else if (option == L"--sleep")
      Sleep(static_cast<DWORD>(_wtoi(value.c_str())) * 1000);
    else if (option == L"--spawn")
      spawn_sleeper(value);
  }
  return 0;
}
