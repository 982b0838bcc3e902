#include <gtest/gtest.h>

#include "platform/test_trace_capture.h"
#include "tray/tray_events.h"

namespace tray {
namespace {

TEST(ServiceWait, TracesEachWaitAndGivesUpAfterSixtyOneTries) {
  platform::TraceCapture trace;
  int tries = 0, pauses = 0;
  EXPECT_FALSE(wait_for_service([&] { return ++tries < 0; }, [&] { ++pauses; }));
  EXPECT_EQ(tries, 61);
  EXPECT_EQ(pauses, 61);
  EXPECT_TRUE(trace.contains("UPS_UI::Wait service UPS 61\n"));
}

TEST(ServiceWait, AServiceStartingLateEndsTheWait) {
  platform::TraceCapture trace;
  int tries = 0;
  EXPECT_TRUE(wait_for_service([&] { return ++tries > 30; }, [] {}));
  EXPECT_EQ(trace.texts().size(), 30u);
  EXPECT_EQ(trace.texts().back(), "UPS_UI::Wait service UPS 30\n");
}

TEST(TrayEvents, TickSessionAndPowerDecisions) {
  EXPECT_TRUE(tick_actions(0x80000000, false, false).close);
  const TickActions refresh = tick_actions(0, true, true);
  EXPECT_TRUE(refresh.refresh && refresh.notify_info_page && !refresh.close);
  EXPECT_FALSE(tick_actions(0, false, true).notify_info_page);
  const SessionChange expected[] = {SessionChange::none,     SessionChange::activate,   SessionChange::deactivate,
                                    SessionChange::activate, SessionChange::deactivate, SessionChange::activate,
                                    SessionChange::deactivate, SessionChange::none,     SessionChange::none};
  for (unsigned code = 0; code < std::size(expected); ++code) EXPECT_EQ(session_change(code), expected[code]) << code;
  EXPECT_STREQ(power_event_trace(4), "UPS_UI::suspend mode detected\n");
  EXPECT_STREQ(power_event_trace(7), "UPS_UI::resume from suspend detected\n");
  EXPECT_EQ(power_event_trace(18), nullptr);
}

}  // namespace
}  // namespace tray
