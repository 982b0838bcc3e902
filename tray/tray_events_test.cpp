#include <gtest/gtest.h>

#include <vector>

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

// Without the pipe: the service is there while its cycles go on, the event seen set and the block's
// write count seen moving (running: the count moves 2 a cycle; a cycle being written: the event
// reset and the count odd).
TEST(ServicePresence, WithoutThePipeTheBlocksCyclesTellWhetherTheServiceRuns) {
  struct Look {
    ServiceSigns signs;
    std::uint32_t ms;
  };
  constexpr ServiceSigns kNoPipe{}, kPipe{true};
  constexpr auto cycle = [](std::uint16_t count) { return ServiceSigns{false, false, true, count}; };
  constexpr ServiceSigns kWriting{false, false, false, 5}, kClosedByService{false, true, true, 4};
  struct Case {
    const char* what;
    std::vector<Look> looks;
    std::uint32_t now_ms;
    bool present;
  } const cases[] = {
      {"never looked at", {}, 100, false},
      {"the pipe connected", {{kPipe, 100}}, 100, true},
      {"the first look tells nothing: a killed service leaves the event set", {{cycle(2), 1000}}, 1000, false},
      {"the count moved a cycle later", {{cycle(2), 1000}, {cycle(4), 2000}}, 2000, true},
      {"a cycle being written", {{cycle(2), 1000}, {cycle(4), 2000}, {kWriting, 3000}}, 3000, true},
      {"the event never set", {{{false, false, false, 2}, 1000}, {{false, false, false, 4}, 2000}}, 2000, false},
      {"killed: the count still for exactly the limit", {{cycle(2), 1000}, {cycle(4), 2000}, {cycle(4), 7000}}, 7000,
       true},
      {"killed: a moment longer", {{cycle(2), 1000}, {cycle(4), 2000}, {cycle(4), 7001}}, 7001, false},
      {"a silence stays silence when the tick count comes round",
       {{cycle(2), 1000}, {cycle(4), 2000}, {cycle(4), 8000}, {cycle(4), 2500}}, 2500, false},
      {"the count moving again after a silence",
       {{cycle(2), 1000}, {cycle(4), 2000}, {cycle(4), 8000}, {cycle(6), 9000}}, 9000, true},
      {"cycles across the tick count's wrap", {{cycle(2), 0xFFFFFC00u}, {cycle(4), 0x200u}}, 0x300u, true},
      {"the service closed the pipe", {{kPipe, 1000}, {kClosedByService, 2000}, {cycle(6), 3000}}, 3000, false},
      {"the pipe back after the service closed it",
       {{kPipe, 1000}, {kClosedByService, 2000}, {kPipe, 3000}, {cycle(6), 4000}}, 4000, true},
      {"let go by the tray itself (session switched away)", {{cycle(2), 1000}, {kPipe, 2000}, {cycle(8), 3000}}, 3000,
       true},
      {"no pipe, nothing new", {{kNoPipe, 1000}, {kNoPipe, 2000}}, 2000, false},
  };
  for (const Case& c : cases) {
    ServicePresence presence;
    bool pipe = false;
    for (const Look& look : c.looks) {
      presence.looked_at(look.signs, look.ms);
      pipe = look.signs.pipe_connected;
    }
    EXPECT_EQ(presence.present(pipe, c.now_ms), c.present) << c.what;
  }
}

}  // namespace
}  // namespace tray
