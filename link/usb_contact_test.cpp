#include "link/usb_contact.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/test_scripted_hid_system.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedHidSystem;

const std::string kLine = "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001";
const std::string kInformation = "#ONDRA           MORAVA1000 2.1       ";

// A UPS that ignores its first `asleep_for` commands, then answers both queries.
std::function<std::string(const std::string&)> sleepy_ups(int asleep_for) {
  return [asleep_for](const std::string& command) mutable {
    if (asleep_for-- > 0) return std::string();
    if (command == "Q1\r") return kLine + "\r";
    return command == "I\r" ? kInformation + "\r" : std::string();
  };
}

class UsbContactTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hid.listing = {testing::ups_interface()};
    ASSERT_TRUE(usb.find_device());
    ASSERT_TRUE(usb.open());
  }

  ScriptedHidSystem hid;
  UsbTransport usb{hid};
};

TEST(UsbAttachTest, SaysWhetherTheUpsIsUsedOverUsb) {
  ScriptedHidSystem hid;
  UsbTransport usb(hid);
  {
    platform::TraceCapture trace;
    EXPECT_FALSE(attach_usb_ups(usb));
    EXPECT_EQ(trace.texts().front(), " UPS::Try find UPS as USB device\n");
    EXPECT_EQ(trace.texts().back(), " UPS:USB device not found or error\n");
  }
  hid.listing = {testing::ups_interface()};
  platform::TraceCapture trace;
  EXPECT_TRUE(attach_usb_ups(usb));
  EXPECT_TRUE(usb.is_open());
  EXPECT_EQ(trace.texts().back(), " UPS:USB device OK\n");
}

TEST_F(UsbContactTest, OrdinaryUpsGetsASecondThenOneQuery) {
  hid.ups = sleepy_ups(0);
  platform::TraceCapture trace;
  EXPECT_EQ(usb_initial_contact(usb, "Q1\r", "Tavrel"), kLine);
  EXPECT_THAT(hid.waits, ElementsAre(1000));
  EXPECT_THAT(hid.commands, ElementsAre("Q1\r"));
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::first raw data:" + kLine + "\n"));
}

TEST_F(UsbContactTest, OndraIsWokenByBothQueriesInTurn) {
  hid.ups = sleepy_ups(3);
  platform::TraceCapture trace;
  EXPECT_EQ(usb_initial_contact(usb, "Q1\r", "Ondra"), kLine);
  EXPECT_THAT(hid.commands, ElementsAre("Q1\r", "I\r", "Q1\r", "I\r", "Q1\r"));
  EXPECT_THAT(hid.waits, ElementsAre(1000));  // the pause before the second attempt
  EXPECT_THAT(trace.texts(), ElementsAre(" UPS::Attempt 1 establish connect for USB (Ondra)\n",
                                         " UPS::Attempt 2 establish connect for USB (Ondra)\n",
                                         " UPS::first raw data:" + kInformation + "\n",
                                         " UPS::first raw data:" + kLine + "\n"));
}

TEST_F(UsbContactTest, OndraThatSleepsOnFailsAfterFiveAttempts) {
  platform::TraceCapture trace;
  EXPECT_EQ(usb_initial_contact(usb, "QS\r", "Ondra"), std::nullopt);
  EXPECT_EQ(hid.commands.size(), 10u);
  EXPECT_EQ(hid.waits, std::vector<std::uint32_t>(4, 1000));
  EXPECT_EQ(trace.texts().back(), " UPS::Attempt 5 establish connect for USB (Ondra)\n");
}

TEST_F(UsbContactTest, EmptyReplyIsNoContact) {
  hid.ups = [](const std::string&) { return std::string("\r"); };
  EXPECT_EQ(usb_initial_contact(usb, "Q1\r", "Orvik"), std::nullopt);
}

}  // namespace
}  // namespace ups_link
