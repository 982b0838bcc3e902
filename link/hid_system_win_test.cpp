// The real HID calls under Wine: the search over whatever HID devices the host offers, and the
// overlapped transfers, time-out and cancel against a named pipe standing in for a device.
#include "link/hid_system_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/usb_transport.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {


TEST(HidSearchWin, HostDevicesAreNoUps) {
  Win32HidSystem hid;
  UsbTransport usb(hid);
  platform::TraceCapture trace;
  EXPECT_FALSE(usb.find_device());
  const auto texts = trace.texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[0], "UPS::find_Orvik_USBDevicePath\n");
  EXPECT_EQ(texts[1], " Scan USB devices:\n");
  const bool walked = trace.contains(" USB::no more device (found:") && texts.back() == "UPS::find_Orvik_USBDevicePath 0\n";
  EXPECT_TRUE(walked || texts.back() == " USB::SetupDiGetClassDevs - ERROR\n") << trace.joined();
}

class HidTransferWin : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = "\\\\.\\pipe\\orvik_hid_test_" + std::to_string(GetCurrentProcessId());
    server_.reset(CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   1, 64, 64, 0, nullptr));
    ASSERT_TRUE(server_);
    ASSERT_TRUE(hid.open(name_));
    ConnectNamedPipe(server_.get(), nullptr);  // the client is already there
  }
  std::vector<std::uint8_t> device_receives(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    DWORD got = 0;
    if (!ReadFile(server_.get(), bytes.data(), static_cast<DWORD>(length), &got, nullptr)) got = 0;
    bytes.resize(got);
    return bytes;
  }
  bool device_sends(const std::vector<std::uint8_t>& report) {
    DWORD written = 0;
    return WriteFile(server_.get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr) &&
           written == report.size();
  }

  Win32HidSystem hid;

 private:
  std::string name_;
  platform::UniqueHandle server_;
};

const std::vector<std::uint8_t> kQueryReport = {0, 'Q', '1', '\r', 0, 0, 0, 0, 0};
const std::vector<std::uint8_t> kReplyReport = {0, '(', '2', '3', '0', '.', '0', ' ', '2'};

TEST_F(HidTransferWin, ReportsCrossWhole) {
  const HidIoResult write = hid.write_report(kQueryReport, 2000);
  EXPECT_EQ(write.outcome, HidIo::completed);
  EXPECT_EQ(write.transferred, 9u);
  EXPECT_EQ(device_receives(64), kQueryReport);

  ASSERT_TRUE(device_sends(kReplyReport));
  std::vector<std::uint8_t> report(9, 0xEE);
  const HidIoResult read = hid.read_report(report, 2000);
  EXPECT_EQ(read.outcome, HidIo::completed);
  EXPECT_EQ(read.transferred, 9u);
  EXPECT_EQ(report, kReplyReport);
}

TEST_F(HidTransferWin, SilentDeviceTimesOutAndTheCancelledReadTakesNothing) {
  std::vector<std::uint8_t> report(9, 0);
  const DWORD started = GetTickCount();
  EXPECT_EQ(hid.read_report(report, 300).outcome, HidIo::timed_out);
  EXPECT_GE(GetTickCount() - started, 250u);
  EXPECT_EQ(hid.write_report(kQueryReport, 2000).outcome, HidIo::failed) << "a transfer is still pending";
  hid.cancel();

  ASSERT_TRUE(device_sends(kReplyReport));
  const HidIoResult read = hid.read_report(report, 2000);
  EXPECT_EQ(read.outcome, HidIo::completed);
  EXPECT_EQ(report, kReplyReport) << "the reply went to the new read, not the cancelled one";
}

TEST_F(HidTransferWin, ClosedDeviceTransfersNothing) {
  hid.close();
  EXPECT_FALSE(hid.is_open());
  std::vector<std::uint8_t> report(9, 0);
  EXPECT_EQ(hid.write_report(kQueryReport, 2000).outcome, HidIo::failed);
  EXPECT_EQ(hid.read_report(report, 2000).outcome, HidIo::failed);
  EXPECT_FALSE(hid.open("\\\\?\\hid#vid_0665&pid_5161#gone"));
}

}  // namespace
}  // namespace ups_link
