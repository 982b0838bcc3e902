#include "link/usb_polling_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/test_scripted_hid_system.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedHidSystem;

const std::string kLine = "(231.5 190.2 229.0 047 49.9 13.6 31.5 10001001";

class UsbPollingLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hid.listing = {testing::ups_interface()};
    wake_after(0);
    ASSERT_TRUE(usb.find_device());
    ASSERT_TRUE(usb.open());
  }

  // The UPS ignores its next `commands` commands, then answers both queries.
  void wake_after(int commands) {
    hid.ups = [commands](const std::string& command) mutable {
      if (commands-- > 0) return std::string();
      return command == "Q1\r" ? kLine + "\r" : std::string("#ONDRA\r");
    };
  }
  void unplug() {
    hid.plugged = false;
    hid.input.clear();
  }
  // Runs cycles until one is answered (at most `limit`); the number of cycles run.
  int poll_until_answered(UsbPollingLink& link, int limit) {
    for (int cycle = 1; cycle <= limit; ++cycle) {
      if (link.poll().answered) return cycle;
    }
    return limit + 1;
  }
  std::vector<std::string> commands_since(std::size_t count) const {
    return {hid.commands.begin() + static_cast<std::ptrdiff_t>(count), hid.commands.end()};
  }

  ScriptedHidSystem hid;
  UsbTransport usb{hid};
};

TEST_F(UsbPollingLinkTest, OndraUnpluggedAndPluggedInAgain) {
  UsbPollingLink link(usb, "Q1\r", "Ondra");
  ASSERT_TRUE(link.poll().answered);
  platform::TraceCapture trace;

  unplug();
  EXPECT_FALSE(link.poll().answered);
  EXPECT_FALSE(link.poll().answered);
  EXPECT_EQ(hid.opened.size(), 3u);  // reopened in each cycle without an answer
  EXPECT_THAT(hid.waits, ElementsAre(1000, 1000));

  hid.plugged = true;
  wake_after(5);
  const std::size_t before = hid.commands.size();
  EXPECT_FALSE(link.poll().answered);  // the query meets the closed device; the reopen works
  EXPECT_EQ(poll_until_answered(link, 20), 6);
  EXPECT_THAT(commands_since(before), ElementsAre("Q1\r", "I\r", "Q1\r", "I\r", "Q1\r", "I\r", "Q1\r"));
  EXPECT_EQ(hid.opened.size(), 4u);  // no reopening while waking
  EXPECT_THAT(hid.waits, ElementsAre(1000, 1000, 1000, 100, 100, 100, 100, 100));
  EXPECT_THAT(trace.texts(),
              ElementsAre(" UPS::Waiting for UPS plug at USB\n", " UPS::UPS connected to USB again\n"));
}

TEST_F(UsbPollingLinkTest, OndraIsGivenFifteenWakeUpsPerReopen) {
  UsbPollingLink link(usb, "Q1\r", "Ondra");
  unplug();
  link.poll();
  hid.plugged = true;
  wake_after(1000);
  link.poll();  // reopens

  const std::size_t before = hid.commands.size();
  for (int cycle = 0; cycle < 15; ++cycle) EXPECT_FALSE(link.poll().answered);
  EXPECT_EQ(hid.opened.size(), 3u);
  EXPECT_FALSE(link.poll().answered);  // the sixteenth: an ordinary query, then a reopen
  EXPECT_EQ(hid.opened.size(), 4u);
  EXPECT_FALSE(link.poll().answered);  // and the wake-up starts over

  const auto sent = commands_since(before);
  ASSERT_EQ(sent.size(), 17u);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(sent[i], i % 2 == 0 ? "Q1\r" : "I\r") << i;
  EXPECT_EQ(sent[15], "Q1\r");
  EXPECT_EQ(sent[16], "Q1\r");
}

TEST_F(UsbPollingLinkTest, OtherVendorsAreQueriedRightAfterTheReopen) {
  UsbPollingLink link(usb, "Q1\r", "Orvik");
  unplug();
  link.poll();
  hid.plugged = true;
  link.poll();
  platform::TraceCapture trace;
  const std::size_t before = hid.commands.size();
  const StatusReading reading = link.poll();
  ASSERT_TRUE(reading.answered);
  EXPECT_EQ(reading.raw_line, kLine);
  EXPECT_EQ(reading.status.load_percent, 47);
  EXPECT_THAT(commands_since(before), ElementsAre("Q1\r"));
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::UPS connected to USB again\n"));
}

TEST_F(UsbPollingLinkTest, ReplyThatDoesNotParseIsNoAnswer) {
  UsbPollingLink link(usb, "Q1\r", "Orvik");
  hid.ups = [](const std::string&) { return std::string("NAK\r"); };
  platform::TraceCapture trace;
  EXPECT_FALSE(link.poll().answered);
  EXPECT_EQ(hid.opened.size(), 2u);
  EXPECT_THAT(hid.waits, ElementsAre(1000));
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::Waiting for UPS plug at USB\n"));
}

}  // namespace
}  // namespace ups_link
