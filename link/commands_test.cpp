#include "link/commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model_database.h"
#include "link/command_reply.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(StatusQueryTest, Mod2SelectsQsAndEverythingElseQ1) {
  EXPECT_STREQ(status_query_command(2), "QS\r");
  for (int mod : {1, 0, 3, -2}) EXPECT_STREQ(status_query_command(mod), "Q1\r") << mod;
}

TEST(StatusQueryTest, ModelEntryWithMod2QueriesWithQs) {
  const std::string entry("VA:400\0MOD:2\0\0", 14);
  const core::ModelRecord model = core::load_model(
      {true, platform::kRegMultiString, reinterpret_cast<const unsigned char*>(entry.data()), entry.size()});
  EXPECT_STREQ(status_query_command(model.mod), "QS\r");
}

TEST(TimedTestCommandTest, MinutesAreTwoDigitsHeldTo1Through99) {
  EXPECT_EQ(timed_test_command(5), "T05\r");
  EXPECT_EQ(timed_test_command(42), "T42\r");
  EXPECT_EQ(timed_test_command(99), "T99\r");
  EXPECT_EQ(timed_test_command(0), "T01\r");
  EXPECT_EQ(timed_test_command(100), "T99\r");
  EXPECT_EQ(timed_test_command(0xFFFFFFFFu), "T99\r");
}

TEST(CommandReplyTest, SerialReplyLosesOnlyItsFinalByte) {
  EXPECT_EQ(serial_reply_text("\r"), "");
  EXPECT_EQ(serial_reply_text(""), "");
  EXPECT_EQ(serial_reply_text("C\r"), "C");
}

TEST(CommandReplyTest, SilenceIsAcceptance) {
  platform::TraceCapture trace;
  EXPECT_TRUE(command_was_accepted("C\r", ""));
  EXPECT_TRUE(command_was_accepted("C\r", serial_reply_text("\r")));
  EXPECT_TRUE(command_was_accepted("C\r", std::string_view("\0junk", 5)));  // the text ends at the NUL
  EXPECT_THAT(trace.texts(), IsEmpty());
}

TEST(CommandReplyTest, AnyTextIsLoggedWithTheCommandNotTheReply) {
  platform::TraceCapture trace;
  EXPECT_FALSE(command_was_accepted("TL\r", serial_reply_text("NAK\r")));
  EXPECT_FALSE(command_was_accepted("CT\r", "CT"));  // an echo is an answer too
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::wrong cmd TL\r\n", "UPS::wrong cmd CT\r\n"));
}

}  // namespace
}  // namespace ups_link
