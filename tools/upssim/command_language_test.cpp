// The simulator's own command language and the scenario files written in it.
#include <gtest/gtest.h>

#include "tools/upssim/scenario.h"
#include "tools/upssim/sim_command.h"

namespace upssim {
namespace {

SimCommand parsed(std::string_view text) {
  Parsed<SimCommand> c = parse_sim_command(text);
  EXPECT_TRUE(c) << text << ": " << c.error;
  return c ? *c.value : SimCommand{};
}

std::string error_of(std::string_view text) {
  Parsed<SimCommand> c = parse_sim_command(text);
  EXPECT_FALSE(c) << text;
  return c.error;
}

TEST(upssim_command_language, SwitchesNumbersAndCounts) {
  SimCommand mains = parsed("mains off");
  EXPECT_EQ(mains.verb, SimVerb::mains);
  EXPECT_FALSE(mains.on);
  EXPECT_TRUE(parsed("cr-reply on").on);

  SimCommand input = parsed("  input\t187.5 ");
  EXPECT_EQ(input.verb, SimVerb::input);
  EXPECT_DOUBLE_EQ(input.value, 187.5);
  EXPECT_EQ(input.text, "input 187.5");

  EXPECT_DOUBLE_EQ(parsed("temp -5").value, -5.0);
  EXPECT_EQ(parsed("overlong 91").value, 91);
  EXPECT_EQ(parsed("quit").verb, SimVerb::quit);
}

TEST(upssim_command_language, TemperatureNoneMeansNoSensor) {
  SimCommand none = parsed("temp none");
  EXPECT_EQ(none.verb, SimVerb::temp);
  EXPECT_FALSE(none.on);
  SimCommand value = parsed("temp 31.5");
  EXPECT_TRUE(value.on);
  EXPECT_DOUBLE_EQ(value.value, 31.5);
}

TEST(upssim_command_language, EveryMistakeSaysWhatWasExpected) {
  EXPECT_EQ(error_of("mains maybe"), "mains needs on or off, not \"maybe\"");
  EXPECT_EQ(error_of("load 1000"), "load needs a number in 0..999, not \"1000\"");
  EXPECT_EQ(error_of("battery 12V"), "battery needs a number in 0..99.9, not \"12V\"");
  EXPECT_EQ(error_of("noise 2.5"), "noise needs a whole number in 0..65536, not \"2.5\"");
  EXPECT_EQ(error_of("overlong 0"), "overlong needs a whole number in 1..4096, not \"0\"");
  EXPECT_EQ(error_of("temp 100"), "temp needs a number in -9.9..99.9, not \"100\"");
  EXPECT_EQ(error_of("input nan"), "input needs a number in 0..999.9, not \"nan\"");
  EXPECT_EQ(error_of("lightning on"), "unknown command \"lightning\"");
  EXPECT_EQ(error_of("quit now"), "quit takes no argument");
  EXPECT_EQ(error_of("mains"), "mains takes one argument");
  EXPECT_EQ(error_of("mains on off"), "mains takes one argument");
}

TEST(upssim_scenario, TimedAndBareStepsCommentsAndBlankLines) {
  Parsed<std::vector<ScriptStep>> s = parse_scenario(
      "# a power cut\n"
      "mains on\n"
      "\n"
      "at 5 mains off   # the cut\r\n"
      "  at 40.5\tmains on\n"
      "load 30",
      "cut.txt");
  ASSERT_TRUE(s) << s.error;
  const std::vector<ScriptStep>& steps = *s.value;
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].at_s, 0);
  EXPECT_EQ(steps[0].origin, "scenario line 2");
  EXPECT_EQ(steps[1].at_s, 5);
  EXPECT_EQ(steps[1].command.text, "mains off");
  EXPECT_EQ(steps[2].at_s, 40.5);
  EXPECT_EQ(steps[3].command.verb, SimVerb::load);
  EXPECT_EQ(steps[3].origin, "scenario line 6");
}

TEST(upssim_scenario, FirstBadLineIsNamedWithFileAndNumber) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case& c : {Case{"mains on\nat five mains off\n", "s.txt:2: \"at\" needs a time in seconds, not \"five\""},
                        Case{"at -1 mains off\n", "s.txt:1: \"at\" needs a time in seconds, not \"-1\""},
                        Case{"at 5\n", "s.txt:1: empty command"},
                        Case{"\n\n\nmains of\n", "s.txt:4: mains needs on or off, not \"of\""}}) {
    Parsed<std::vector<ScriptStep>> s = parse_scenario(c.text, "s.txt");
    EXPECT_FALSE(s);
    EXPECT_EQ(s.error, c.error);
  }
}

TEST(upssim_scenario, CommentOrBlankLineIsNoStep) {
  for (const char* line : {"", "   ", "# at 5 mains off", "\r"}) {
    Parsed<std::optional<ScriptStep>> step = parse_script_line(line);
    ASSERT_TRUE(step) << line;
    EXPECT_FALSE(step.value->has_value()) << line;
  }
}

}  // namespace
}  // namespace upssim
