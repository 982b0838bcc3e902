#include "link/command_sender.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/serial_transport.h"
#include "link/test_scripted_hid_system.h"
#include "link/test_scripted_serial_port.h"
#include "link/usb_transport.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::function<std::string(const std::string&)> answering(std::string reply) {
  return [reply](const std::string&) { return reply; };
}

TEST(CommandSenderTest, SerialSilenceOrALoneCarriageReturnIsAcceptance) {
  testing::ScriptedSerialPort port;
  SerialTransport serial(port);
  platform::TraceCapture trace;
  EXPECT_TRUE(send_command(serial, "T\r"));
  EXPECT_THAT(port.calls, ElementsAre("write T\r", "wait 2000", "status"));
  port.ups = answering("\r");
  EXPECT_TRUE(send_command(serial, "CT\r"));
  EXPECT_THAT(trace.texts(), IsEmpty());

  port.ups = answering("NAK\r");
  EXPECT_FALSE(send_command(serial, "TL\r"));
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::wrong cmd TL\r\n"));
}

TEST(CommandSenderTest, UsbSilenceOrALoneCarriageReturnIsAcceptance) {
  testing::ScriptedHidSystem hid;
  hid.listing = {testing::ups_interface()};
  UsbTransport usb(hid);
  ASSERT_TRUE(usb.find_device() && usb.open());
  platform::TraceCapture trace;
  EXPECT_TRUE(send_command(usb, "Q\r"));
  hid.ups = answering("\r");
  EXPECT_TRUE(send_command(usb, "C\r"));
  EXPECT_THAT(hid.commands, ElementsAre("Q\r", "C\r"));
  EXPECT_THAT(trace.texts(), IsEmpty());

  hid.ups = answering("#ORVIK\r");
  EXPECT_FALSE(send_command(usb, "I\r"));
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::wrong cmd I\r\n"));

  usb.close();  // nothing to read from: the reply is empty
  EXPECT_TRUE(send_command(usb, "I\r"));
}

}  // namespace
}  // namespace ups_link
