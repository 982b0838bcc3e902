#include "core/keyboard_device_win.h"

#include <gtest/gtest.h>

#include <string>

#include "core/keyboard_light.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

// What the DOS name "Kbd" stands for now; empty when it is not defined.
std::string kbd_target() {
  char target[MAX_PATH] = {};
  if (QueryDosDeviceA("Kbd", target, sizeof target) == 0) return "";
  return target;
}

void blink_through_a_failure(KeyboardIndicators& indicators) {
  KeyboardLight light(indicators);
  bool was_fail = false;
  for (bool fail : {false, true, true, true, false}) {
    light.run_cycle({.enabled = true, .light_mask = 2, .utility_fail = fail, .was_utility_fail = was_fail});
    was_fail = fail;
  }
}

TEST(KeyboardDevice, OpenBlinkAndCloseLeaveNoTraceAndNoDosName) {
  platform::TraceCapture capture;
  KeyboardDevice device;
  device.open();
  EXPECT_EQ(kbd_target(), "\\Device\\KeyboardClass0");
  blink_through_a_failure(device);
  device.close();
  EXPECT_EQ(kbd_target(), "");
  EXPECT_TRUE(capture.texts().empty()) << capture.joined();
}

TEST(KeyboardDevice, WithoutAKeyboardEveryCallFailsAtOnce) {
  KeyboardDevice device;
  device.open();
  if (device.is_open()) GTEST_SKIP() << "this system has a keyboard class device";
  EXPECT_EQ(device.query(), std::nullopt);
  EXPECT_FALSE(device.set(2));
}

TEST(KeyboardDevice, ReopeningAndDestructionRemoveEveryDefinition) {
  {
    KeyboardDevice device;
    device.open();
    device.open();
    device.close();
    EXPECT_EQ(kbd_target(), "");
    device.open();
  }
  EXPECT_EQ(kbd_target(), "");
}

TEST(KeyboardDevice, CloseLeavesADefinitionOfSomeoneElseAlone) {
  ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, "Kbd", "\\Device\\Null"));
  {
    KeyboardDevice device;
    device.close();
    device.open();
  }
  EXPECT_EQ(kbd_target(), "\\Device\\Null");
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Kbd", nullptr);
}

}  // namespace
}  // namespace core
