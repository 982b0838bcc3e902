#include "tools/upssim/simulator.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

class upssim_simulator : public ::testing::Test {
 protected:
  void command(const std::string& text, double now_s) {
    Parsed<std::optional<ScriptStep>> step = parse_script_line(text);
    ASSERT_TRUE(step && *step.value) << text;
    sim_.submit(std::move(**step.value), now_s);
  }

  // The status bits of an answer to Q1 sent at now_s.
  std::string bits_at(double now_s) {
    sim_.receive("Q1\r", now_s);
    std::string answer = sim_.take_output(now_s);
    return answer.size() == 47 ? answer.substr(38, 8) : "answer of " + std::to_string(answer.size()) + " bytes";
  }

  bool logged(const std::string& text) const {
    for (const std::string& line : log_) {
      if (line.find(text) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  std::vector<std::string> log_;
  Simulator sim_{1.0, 5, [this](const std::string& line) { log_.push_back(line); }};
};

TEST_F(upssim_simulator, TimedStepsRunWhenTheirTimeComes) {
  command("at 5 mains off", 0);
  command("at 8 mains on", 0);
  EXPECT_EQ(bits_at(4.9), "00001001");
  EXPECT_EQ(bits_at(5.0), "10001001");
  EXPECT_EQ(bits_at(8.5), "00001001");
  EXPECT_TRUE(logged("cmd mains off"));
}

TEST_F(upssim_simulator, StepsDueInOneAdvanceRunInOrderEachAtItsTime) {
  command("jitter off", 0);
  command("at 1 mains off", 0);
  command("at 61 mains on", 0);
  sim_.advance_to(100);
  // Sixty seconds on battery drained the battery, then it began to recharge.
  sim_.receive("Q1\r", 100);
  std::string answer = sim_.take_output(100);
  ASSERT_EQ(answer.size(), 47u);
  EXPECT_LT(std::stod(answer.substr(28, 4)), 13.3);
}

TEST_F(upssim_simulator, SlowHoldsTheAnswerBackAndNextDueSaysUntilWhen) {
  command("slow 300", 1.0);
  sim_.receive("Q1\r", 1.0);
  EXPECT_EQ(sim_.take_output(1.2), "");
  ASSERT_TRUE(sim_.next_due());
  EXPECT_DOUBLE_EQ(*sim_.next_due(), 1.3);
  EXPECT_EQ(sim_.take_output(1.3).size(), 47u);
  EXPECT_FALSE(sim_.next_due());
}

TEST_F(upssim_simulator, AnswersKeepTheirOrderWhenSlowIsLowered) {
  command("slow 500", 0);
  sim_.receive("I\r", 0);
  command("slow 0", 0);
  sim_.receive("Q1\r", 0.1);
  std::string out = sim_.take_output(0.5);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0], '#');
}

TEST_F(upssim_simulator, NoiseGoesOutAtOnce) {
  command("noise 200", 2.0);
  EXPECT_EQ(sim_.take_output(2.0).size(), 200u);
}

TEST(upssim_simulator_speed, SpeedCompressesPhysicsButNotTheScript) {
  Simulator fast(60.0, 1, [](const std::string&) {});
  fast.receive("T\r", 0);
  fast.receive("S.2\r", 0);
  fast.advance_to(0.15);
  EXPECT_EQ(fast.model().test(), TestKind::timed) << "9 simulated seconds";
  EXPECT_TRUE(fast.model().output_on()) << "turn-off after 12 simulated seconds";
  fast.advance_to(0.25);
  EXPECT_EQ(fast.model().test(), TestKind::none);
  EXPECT_FALSE(fast.model().output_on());
}

TEST_F(upssim_simulator, StateTextFollowsTheUps) {
  EXPECT_NE(sim_.state_text().find("mains=on "), std::string::npos);
  command("mains off", 0);
  command("silence on", 0);
  std::string state = sim_.state_text();
  EXPECT_NE(state.find("mains=off "), std::string::npos) << state;
  EXPECT_NE(state.find("bits=10001001 "), std::string::npos) << state;
  EXPECT_NE(state.find("silent=yes "), std::string::npos) << state;
}

TEST_F(upssim_simulator, QuitIsRequestedAndStopsFurtherSteps) {
  command("at 1 quit", 0);
  command("at 2 mains off", 0);
  sim_.advance_to(3);
  EXPECT_TRUE(sim_.quit_requested());
  EXPECT_TRUE(sim_.model().mains_switched_on());
}

}  // namespace
}  // namespace upssim
