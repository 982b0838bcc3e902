#include "service/service_status.h"

namespace service {

void set_state(ServiceStatusRecord& record, std::uint32_t state, std::uint32_t wait_hint) {
  record.state = state;
  record.check_point = 0;
  record.wait_hint = wait_hint;
}

void set_stopped(ServiceStatusRecord& record, std::uint32_t win32_exit_code, std::uint32_t specific_exit_code) {
  set_state(record, kServiceStopped);
  record.win32_exit_code = win32_exit_code;
  record.specific_exit_code = specific_exit_code;
}

ControlHandling handle_control(ServiceStatusRecord& record, std::uint32_t control) {
  ControlHandling handling;
  handling.report = true;
  switch (control) {
    case kControlStop:
      set_state(record, kServiceStopPending, kStopWaitHintMs);
      handling.stop_monitoring = true;
      break;
    case kControlPause:
      set_state(record, kServicePaused);
      break;
    case kControlContinue:
      set_state(record, kServiceRunning);
      break;
    case kControlInterrogate:
      break;
    case kControlShutdown:
      set_state(record, kServiceRunning);
      handling.forward_end_session = true;
      break;
    default:
      handling.report = false;
      handling.result = kErrorCallNotImplemented;
  }
  return handling;
}

bool may_report_running(const ServiceStatusRecord& current) {
  return current.state != kServiceStopPending && current.state != kServiceStopped;
}

}  // namespace service
