#include "service/power_switch_win.h"

#include <windows.h>

#include <string>

#include "ipc/new_data_event_win.h"
#include "ipc/pipe_client_win.h"
#include "platform/debug_trace.h"
#include "platform/wide_text_win.h"
#include "service/power_switch.h"

namespace service {
namespace {

// Time to find a free instance of the pipe (the service listens again a cycle after a client left).
constexpr DWORD kConnectLimitMs = 3000;
constexpr DWORD kAnswerPollMs = 50;

// The answer to our request, and nothing else the service might write.
class AnswerWaiter final : public ipc::PipeClientEvents {
 public:
  void on_stat_flushed() override {}
  void on_answer(std::uint32_t cmd, std::uint32_t missing) override {
    if (cmd != ipc::MSG_POWER_ACTION) return;
    answered = true;
    this->missing = missing;
  }
  bool answered = false;
  std::uint32_t missing = 0;
};

PowerSwitchOutcome ask_service(std::uint32_t code, std::uint32_t& missing) {
  // The service's new-data event exists from its start to its stop.
  if (!ipc::open_new_data_event()) return PowerSwitchOutcome::no_service;
  ipc::PipeClient pipe;
  if (!pipe.connect_within(kConnectLimitMs)) {
    const bool impostor = pipe.last_connect_error() == ERROR_ACCESS_DENIED;
    return impostor ? PowerSwitchOutcome::pipe_taken : PowerSwitchOutcome::no_pipe;
  }
  if (!pipe.write(ipc::make_pipe_message(ipc::MSG_POWER_ACTION, code - 1))) return PowerSwitchOutcome::no_pipe;
  AnswerWaiter waiter;
  for (const DWORD start = GetTickCount(); GetTickCount() - start < kPowerActionAnswerLimitMs; Sleep(kAnswerPollMs)) {
    pipe.poll(false, waiter);
    if (waiter.answered) {
      missing = waiter.missing;
      return missing == 0 ? PowerSwitchOutcome::accepted : PowerSwitchOutcome::refused;
    }
    if (!pipe.is_connected()) break;
  }
  return PowerSwitchOutcome::unanswered;
}

// The standard error as the parent gave it, or the parent's console: a program of the Windows
// subsystem has neither unless it asks. UTF-16 on a console, UTF-8 elsewhere (a file, a pipe).
void write_error_line(const std::string& text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if ((!error || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
    error = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (!error || error == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(error, &mode)) {
    const std::wstring wide = platform::to_wide(text + "\n");
    WriteConsoleW(error, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const std::string line = text + "\n";
  WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int send_power_action(std::uint32_t code) {
  std::uint32_t missing = 0;
  const PowerSwitchOutcome outcome = ask_service(code, missing);
  const PowerSwitchReport report = power_switch_report(outcome, missing);
  debug_trace("UPS::power action %u: outcome %d\n", static_cast<unsigned>(code), static_cast<int>(outcome));
  if (!report.text.empty()) write_error_line(report.text);
  return report.exit_code;
}

}  // namespace service
