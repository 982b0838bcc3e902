#include "core/power_action_rehearsal.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/side_effects.h"
#include "platform/test_side_effects.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

std::vector<std::pair<int, std::string>> recorded;
void record_line(int code, const char* text) { recorded.emplace_back(code, text); }

class PowerActionRehearsalTest : public ::testing::Test {
 protected:
  void SetUp() override { recorded.clear(); }
  void TearDown() override { set_power_action_test_mode(false, nullptr); }
};

TEST_F(PowerActionRehearsalTest, ShutdownIsWrittenDownWithItsFlagsAndReasonInsteadOfDone) {
  platform::TraceCapture trace;
  set_power_action_test_mode(true, record_line);

  EXPECT_TRUE(platform::side_effects().exit_windows(0x1 | 0x4 | 0x8, 0x8006000A));

  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].first, 30);
  EXPECT_EQ(recorded[0].second,
            "Проверочный режим: выключение с отключением питания не выполнено (флаги 0xD, причина 0x8006000A)\n");
  EXPECT_TRUE(trace.contains("UPS::test mode: ExitWindowsEx(0xD, 0x8006000A) not called\n"));
}

TEST_F(PowerActionRehearsalTest, EveryActionIsNamedByItsFlags) {
  set_power_action_test_mode(true, record_line);
  platform::SideEffects& effects = platform::side_effects();
  effects.exit_windows(0x2 | 0x4, 0x8006000A);
  effects.exit_windows(0x1 | 0x4, 0x8006000A);
  EXPECT_TRUE(effects.set_power_state(true, true));
  EXPECT_TRUE(effects.set_power_state(false, false));

  ASSERT_EQ(recorded.size(), 4u);
  EXPECT_NE(recorded[0].second.find("перезагрузка не выполнено (флаги 0x6,"), std::string::npos);
  EXPECT_NE(recorded[1].second.find(": выключение не выполнено (флаги 0x5,"), std::string::npos);
  EXPECT_NE(recorded[2].second.find("спящий режим не выполнено (флаги 0x3, причина 0x00000000)"),
            std::string::npos);
  EXPECT_NE(recorded[3].second.find("ждущий режим не выполнено (флаги 0x0,"), std::string::npos);
}

TEST_F(PowerActionRehearsalTest, TurningItOffRestoresTheRealEffectsButLeavesATestsDouble) {
  set_power_action_test_mode(true, record_line);
  set_power_action_test_mode(false, nullptr);
  EXPECT_EQ(&platform::side_effects(), &platform::system_side_effects());

  platform::RecordingSideEffects double_in_place;
  set_power_action_test_mode(false, nullptr);
  EXPECT_EQ(&platform::side_effects(), &double_in_place);
  double_in_place.exit_windows(0x1, 0);
  EXPECT_TRUE(recorded.empty());
}

TEST_F(PowerActionRehearsalTest, WithoutAWriterOnlyTheDebugLineIsLeft) {
  platform::TraceCapture trace;
  set_power_action_test_mode(true, nullptr);
  EXPECT_TRUE(platform::side_effects().set_power_state(true, true));
  EXPECT_TRUE(trace.contains("SetSystemPowerState(hibernate, force 1) not called"));
  EXPECT_TRUE(recorded.empty());
}

}  // namespace
}  // namespace core
