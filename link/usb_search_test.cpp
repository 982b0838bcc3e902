#include "link/usb_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/test_scripted_hid_system.h"
#include "platform/test_trace_capture.h"

namespace ups_link {
namespace {

using ::testing::ElementsAre;
using testing::hid_interface;
using testing::kUpsPath;
using testing::ScriptedHidSystem;
using testing::ups_interface;

TEST(UsbSearchTest, UpsListedAfterAnotherDeviceIsFound) {
  ScriptedHidSystem hid;
  hid.listing = {std::nullopt, hid_interface(0x046d, 0xc077, "mouse", 5), ups_interface(),
                 hid_interface(0x06DA, 0x0003, "second UPS")};
  platform::TraceCapture trace;
  const auto found = find_ups_interface(hid);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, kUpsPath);
  EXPECT_FALSE(hid.listing_open);
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::find_Orvik_USBDevicePath\n", " Scan USB devices:\n",
                                         " Device VID:046d PID:c077\n", " Device VID:0665 PID:5161\n",
                                         "UPS USB DETECTED (io:9/9):\n", " " + kUpsPath + "\n",
                                         "UPS::find_Orvik_USBDevicePath 1\n"));
}

TEST(UsbSearchTest, NeighbouringProductIsNoUps) {
  ScriptedHidSystem hid;
  hid.listing = {hid_interface(0x0665, 0x5162, "not a UPS")};
  platform::TraceCapture trace;
  EXPECT_FALSE(find_ups_interface(hid));
  EXPECT_FALSE(hid.listing_open);
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::find_Orvik_USBDevicePath\n", " Scan USB devices:\n",
                                         " Device VID:0665 PID:5162\n", " USB::no more device (found:0)\n",
                                         "UPS::find_Orvik_USBDevicePath 0\n"));
}

TEST(UsbSearchTest, EveryKnownModelThatCanCarryTextAndNoOther) {
  const std::pair<HidInterfaceInfo, bool> cases[] = {
      {hid_interface(0x0665, 0x5161, "a"), true},  {hid_interface(0x06DA, 0x0003, "b"), true},
      {hid_interface(0x0F03, 0x0001, "c"), true},  {hid_interface(0x05B8, 0x0000, "d"), true},
      {hid_interface(0x05B8, 0x0003, "e"), false}, {hid_interface(0x5161, 0x0665, "f"), false},
      {hid_interface(0x0665, 0x5161, "reports too short for text", 1), false},
  };
  for (const auto& [device, is_ups] : cases) {
    SCOPED_TRACE(device.path);
    ScriptedHidSystem hid;
    hid.listing = {device};
    EXPECT_EQ(find_ups_interface(hid).has_value(), is_ups);
  }
}

TEST(UsbSearchTest, NoDeviceListAtAll) {
  ScriptedHidSystem hid;
  hid.listing_fails = true;
  platform::TraceCapture trace;
  EXPECT_FALSE(find_ups_interface(hid));
  EXPECT_THAT(trace.texts(), ElementsAre("UPS::find_Orvik_USBDevicePath\n", " Scan USB devices:\n",
                                         " USB::SetupDiGetClassDevs - ERROR\n"));
}

}  // namespace
}  // namespace ups_link
