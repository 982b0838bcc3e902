#include "service/power_switch_win.h"

#include <windows.h>

#include <string>

#include "ipc/new_data_event_win.h"
#include "ipc/pipe_client_win.h"
#include "platform/debug_trace.h"
#include "service/console_output_win.h"
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
  void on_answer(std::uint32_t cmd, std::uint32_t missing_rights) override {
    if (cmd != ipc::MSG_POWER_ACTION) return;
    answered = true;
    missing = missing_rights;
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

}  // namespace

int send_power_action(std::uint32_t code) {
  std::uint32_t missing = 0;
  const PowerSwitchOutcome outcome = ask_service(code, missing);
  const PowerSwitchReport report = power_switch_report(outcome, missing);
  debug_trace("UPS::power action %u: outcome %d\n", static_cast<unsigned>(code), static_cast<int>(outcome));
  if (!report.text.empty()) write_error(report.text + "\n");
  return report.exit_code;
}

}  // namespace service
