#include "link/usb_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "link/test_scripted_hid_system.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::kUpsPath;
using testing::Report;
using testing::ScriptedHidSystem;

const std::string kLine = "(230.0 230.0 229.0 012 50.0 13.6 25.0 00001001";

class UsbTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hid.listing = {testing::ups_interface()};
    hid.ups = [](const std::string& command) { return command == "Q1\r" ? kLine + "\r" : std::string(); };
    ASSERT_TRUE(usb.find_device());
    ASSERT_TRUE(usb.open());
  }

  ScriptedHidSystem hid;
  UsbTransport usb{hid};
};

TEST_F(UsbTransportTest, DeviceIsSearchedOnceAndReopenedByItsPath) {
  hid.listing.clear();  // gone from the system's list, yet still known
  EXPECT_TRUE(usb.find_device());
  EXPECT_TRUE(usb.open());
  EXPECT_EQ(hid.listings, 1);
  EXPECT_THAT(hid.opened, ElementsAre(kUpsPath, kUpsPath));
}

TEST_F(UsbTransportTest, CommandIsCutIntoReportsOverTheOldBufferContent) {
  ASSERT_TRUE(usb.write_command("0123456789A\r"));
  ASSERT_TRUE(usb.write_command("Q1\r"));
  EXPECT_THAT(hid.written, ElementsAre(Report{0, '0', '1', '2', '3', '4', '5', '6', '7'},
                                       Report{0, '8', '9', 'A', '\r', '4', '5', '6', '7'},
                                       Report{0, 'Q', '1', '\r', '\r', '4', '5', '6', '7'}));
  EXPECT_THAT(hid.commands, ElementsAre("0123456789A\r", "Q1\r"));
  EXPECT_EQ(hid.write_timeouts, std::vector<std::uint32_t>(3, 2000));
}

TEST_F(UsbTransportTest, FailedReportEndsTheCommand) {
  hid.write_times_out = true;
  EXPECT_FALSE(usb.write_command("0123456789A\r"));
  EXPECT_EQ(hid.written.size(), 1u);
  EXPECT_EQ(hid.cancels, 1);

  hid.write_times_out = false;
  hid.write_transfers = 8;
  EXPECT_FALSE(usb.write_command("Q1\r"));

  usb.close();
  EXPECT_FALSE(usb.write_command("Q1\r"));
  EXPECT_EQ(hid.written.size(), 2u);
}

TEST_F(UsbTransportTest, LineOverSixReportsThenSilence) {
  std::array<char, kUsbReplyBufferSize> reply;
  ASSERT_TRUE(usb.exchange("Q1\r", reply));
  EXPECT_EQ(std::string(reply.data()), kLine);
  EXPECT_EQ(hid.read_timeouts, std::vector<std::uint32_t>(7, 1000));  // six reports, then a second of silence
  EXPECT_EQ(hid.cancels, 1);
}

TEST_F(UsbTransportTest, ReportOfTheWrongLengthEndsTheReplyWithoutText) {
  hid.send_text("(230.0 2");
  hid.input.push_back(Report{0, '3', '0', '.', '0'});
  std::array<char, kUsbReplyBufferSize> reply;
  platform::TraceCapture trace;
  EXPECT_FALSE(usb.read_reply(reply));
  EXPECT_STREQ(reply.data(), "");
  EXPECT_THAT(trace.texts(), ElementsAre("error on read:5 9\n"));
}

TEST_F(UsbTransportTest, ReplyIsBoundedByTheCallersBuffer) {
  std::array<char, 16> reply;
  ASSERT_TRUE(usb.exchange("Q1\r", reply));
  EXPECT_EQ(std::string(reply.data()), kLine.substr(0, 15));
  EXPECT_THAT(hid.input, IsEmpty());  // the rest was read and dropped, not left for the next reply
}

TEST_F(UsbTransportTest, CarriageReturnEndsTheLineAndSilenceIsNoReply) {
  std::array<char, kUsbReplyBufferSize> reply;
  hid.send_text("AB\rCD\r");
  ASSERT_TRUE(usb.read_reply(reply));
  EXPECT_STREQ(reply.data(), "AB");

  EXPECT_FALSE(usb.read_reply(reply));
  EXPECT_STREQ(reply.data(), "");
}

}  // namespace
}  // namespace ups_link
