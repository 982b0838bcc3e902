#include "tools/upssim/options.h"

#include <gtest/gtest.h>

namespace upssim {
namespace {

TEST(upssim_options, EveryOptionIsRead) {
  Parsed<Options> o = parse_options({"--link", "/tmp/com1", "--scenario", "s.txt", "--control", "c", "--record",
                                     "r", "--state", "st", "--speed", "12.5", "--seed", "4294967295", "--log", "l"});
  ASSERT_TRUE(o) << o.error;
  EXPECT_EQ(o.value->link, "/tmp/com1");
  EXPECT_EQ(o.value->scenario, "s.txt");
  EXPECT_EQ(o.value->control, "c");
  EXPECT_EQ(o.value->record, "r");
  EXPECT_EQ(o.value->state, "st");
  EXPECT_EQ(o.value->log, "l");
  EXPECT_DOUBLE_EQ(o.value->speed, 12.5);
  EXPECT_EQ(o.value->seed, 4294967295u);
}

TEST(upssim_options, MistakesAreReportedNotGuessed) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  for (const Case& c : std::vector<Case>{{{}, "--link PATH is required"},
                                          {{"--link"}, "--link needs a value"},
                                          {{"--link", "x", "--speed", "0"}, "--speed needs"},
                                          {{"--link", "x", "--speed", "fast"}, "--speed needs"},
                                          {{"--link", "x", "--seed", "-1"}, "--seed needs"},
                                          {{"--link", "x", "--seed", "4294967296"}, "--seed needs"},
                                          {{"--link", "x", "--verbose", "1"}, "unknown option \"--verbose\""}}) {
    Parsed<Options> o = parse_options(c.args);
    EXPECT_FALSE(o);
    EXPECT_NE(o.error.find(c.says), std::string::npos) << o.error;
  }
}

}  // namespace
}  // namespace upssim
