#include "core/keyboard_light.h"

#include <gtest/gtest.h>

#include <string>

namespace core {
namespace {

constexpr std::uint16_t kScroll = 1;
constexpr std::uint16_t kNum = 2;
constexpr std::uint16_t kCaps = 4;

// A keyboard whose lights are plain flags; the next `failing_queries` queries fail.
class ScriptedKeyboard final : public KeyboardIndicators {
 public:
  std::optional<std::uint16_t> query() override {
    if (failing_queries > 0) {
      --failing_queries;
      return std::nullopt;
    }
    return flags;
  }
  bool set(std::uint16_t new_flags) override {
    ++sets;
    flags = new_flags;
    return true;
  }

  std::uint16_t flags = 0;
  int failing_queries = 0;
  int sets = 0;
};

class KeyboardLightTest : public ::testing::Test {
 protected:
  // One polling cycle ('B' on battery, 'M' on mains); the previous bit is kept as the loop keeps it.
  void cycle(char power, std::uint32_t mask) {
    const bool fail = power == 'B';
    light.run_cycle({.enabled = enabled, .light_mask = mask, .utility_fail = fail, .was_utility_fail = was_fail});
    was_fail = fail;
  }
  // Runs `script` under `mask`; the state of `watched` after each cycle, '1' for on.
  std::string run(const std::string& script, std::uint32_t mask, std::uint16_t watched) {
    std::string states;
    for (char power : script) {
      cycle(power, mask);
      states += (keyboard.flags & watched) ? '1' : '0';
    }
    return states;
  }

  ScriptedKeyboard keyboard;
  KeyboardLight light{keyboard};
  bool enabled = true;
  bool was_fail = false;
};

TEST_F(KeyboardLightTest, NumLockOnBeforeFailureBlinksAndIsOffAfterwards) {
  keyboard.flags = kNum;
  EXPECT_EQ(run("MBBBMM", kNum, kNum), "110100");
}

TEST_F(KeyboardLightTest, EachFailureStartsWithTheLightOnEvenOneCycleLong) {
  // The first failure ends in the on phase; the second must not resume from there.
  EXPECT_EQ(run("MBMBBM", kNum, kNum), "010100");
}

TEST_F(KeyboardLightTest, OtherLightsKeepTheirState) {
  const std::uint16_t others = 0x8000 | kCaps | kScroll;
  keyboard.flags = others;
  for (char power : std::string("BBBM")) {
    cycle(power, kNum);
    EXPECT_EQ(keyboard.flags & ~kNum, others);
  }
}

TEST_F(KeyboardLightTest, LightChangedDuringFailureBlinksAtOnceButOnlyTheFirstIsSwitchedOff) {
  keyboard.flags = kCaps;
  cycle('B', kScroll);
  EXPECT_EQ(keyboard.flags, kScroll | kCaps);
  cycle('B', kCaps);  // phase off, now under the new mask: Scroll Lock stays as it was
  EXPECT_EQ(keyboard.flags, kScroll);
  cycle('B', kCaps);
  EXPECT_EQ(keyboard.flags, kScroll | kCaps);
  cycle('M', kCaps);  // the end switches off the light the blinking started with
  EXPECT_EQ(keyboard.flags, kCaps);
}

TEST_F(KeyboardLightTest, FailedQuerySkipsTheChangeAndBlinkingGoesOn) {
  cycle('B', kNum);
  keyboard.failing_queries = 1;
  const int sets_before = keyboard.sets;
  cycle('B', kNum);  // would have switched the light off
  EXPECT_EQ(keyboard.sets, sets_before);
  EXPECT_EQ(keyboard.flags, kNum);
  EXPECT_EQ(run("BBB", kNum, kNum), "101");
  keyboard.failing_queries = 1;
  EXPECT_EQ(run("MM", kNum, kNum), "11");  // the end could not read the lights either
  EXPECT_EQ(run("BM", kNum, kNum), "10");
}

TEST_F(KeyboardLightTest, DisablingDuringFailureLeavesTheLightUntouched) {
  run("B", kNum, kNum);
  enabled = false;
  const int sets_before = keyboard.sets;
  EXPECT_EQ(run("BBMM", kNum, kNum), "1111");
  EXPECT_EQ(keyboard.sets, sets_before);
  enabled = true;
  EXPECT_EQ(run("BM", kNum, kNum), "10");
}

}  // namespace
}  // namespace core
