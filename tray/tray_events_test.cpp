#include <gtest/gtest.h>

#include "platform/test_trace_capture.h"
#include "tray/service_presence.h"
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

TEST(ServicePresence, TheNewDataEventStandsInForThePipe) {
  struct Case {
    const char* what;
    bool signalled;
    std::uint32_t signal_ms, now_ms;
    bool pipe, present;
  } const cases[] = {
      {"never signalled, no pipe", false, 0, 100, false, false},
      {"never signalled, the pipe connected", false, 0, 100, true, true},
      {"signalled a cycle ago", true, 1000, 2000, false, true},
      {"silent for exactly the limit", true, 1000, 1000 + kServiceSilenceMs, false, true},
      {"silent a moment longer", true, 1000, 1001 + kServiceSilenceMs, false, false},
      {"signalled at tick zero", true, 0, 10, false, true},
      {"the tick count wrapped since", true, 0xFFFFFF00u, 0x100u, false, true},
      {"silent across the wrap", true, 0xFFFFFF00u, kServiceSilenceMs + 0x200u, false, false},
  };
  for (const Case& c : cases) {
    ServicePresence presence;
    if (c.signalled) presence.new_data_signalled(c.signal_ms);
    EXPECT_EQ(presence.present(c.pipe, c.now_ms), c.present) << c.what;
  }
}

// A stopping service closes the pipe a moment after its last signal: gone at once, not 5 s later;
// a signal still pending from before the close does not bring it back, the pipe connecting does.
TEST(ServicePresence, APipeTheServiceClosedOutweighsItsLastSignals) {
  ServicePresence presence;
  presence.new_data_signalled(1000);
  presence.pipe_looked_at(false, true);
  EXPECT_FALSE(presence.present(false, 1100));
  presence.new_data_signalled(1200);
  EXPECT_FALSE(presence.present(false, 1300));
  presence.pipe_looked_at(true, false);
  EXPECT_TRUE(presence.present(true, 1400));
  presence.pipe_looked_at(false, false);  // let go by the tray itself (session switched away)
  presence.new_data_signalled(2000);
  EXPECT_TRUE(presence.present(false, 2100));
}

}  // namespace
}  // namespace tray
