#include "service/service_status.h"

#include <gtest/gtest.h>

#include "service/monitoring_loop.h"

namespace service {
namespace {

TEST(ServiceStatus, StopAsksTheLoopToEndAndHoldsOffItsRunningReport) {
  ServiceStatusRecord record;
  set_state(record, kServiceRunning);
  ControlHandling handling = handle_control(record, kControlStop);
  EXPECT_TRUE(handling.report);
  EXPECT_TRUE(handling.stop_monitoring);
  EXPECT_FALSE(handling.forward_end_session);
  EXPECT_EQ(handling.result, 0u);
  EXPECT_EQ(record.state, kServiceStopPending);
  EXPECT_GT(record.wait_hint, 0u);
  EXPECT_FALSE(may_report_running(record));

  set_stopped(record, kErrorServiceSpecific, 10);
  EXPECT_FALSE(may_report_running(record));
  EXPECT_EQ(record.win32_exit_code, 1066u);
  EXPECT_EQ(record.specific_exit_code, 10u);
  EXPECT_EQ(record.wait_hint, 0u);
}

TEST(ServiceStatus, PauseContinueAndShutdownOnlyChangeTheReportedState) {
  ServiceStatusRecord record;
  set_state(record, kServiceRunning);
  ControlHandling handling = handle_control(record, kControlPause);
  EXPECT_EQ(record.state, kServicePaused);
  EXPECT_FALSE(handling.stop_monitoring);
  EXPECT_TRUE(may_report_running(record)) << "a resume after hibernation may report running again";

  handle_control(record, kControlContinue);
  EXPECT_EQ(record.state, kServiceRunning);

  set_state(record, kServicePaused);
  handling = handle_control(record, kControlShutdown);
  EXPECT_EQ(record.state, kServiceRunning);
  EXPECT_TRUE(handling.forward_end_session);
  EXPECT_TRUE(handling.report);

  handling = handle_control(record, kControlInterrogate);
  EXPECT_TRUE(handling.report);
  EXPECT_EQ(record.state, kServiceRunning);
}

TEST(ServiceStatus, UnknownControlsAreNotImplementedAndNotReported) {
  for (std::uint32_t control : {6u, 7u, 13u, 15u, 128u}) {
    ServiceStatusRecord record;
    set_state(record, kServiceRunning);
    ControlHandling handling = handle_control(record, control);
    EXPECT_FALSE(handling.report) << control;
    EXPECT_FALSE(handling.stop_monitoring);
    EXPECT_EQ(handling.result, 120u);
    EXPECT_EQ(record.state, kServiceRunning);
  }
}

}  // namespace
}  // namespace service
