#include "core/core_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/test_config_store.h"

namespace core {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LoadSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store.set_string("Model", "Orvik 400");
    store.set_string("Vendor", "Orvik");
  }

  void set_complete_config() {
    store.set_dword("SignalEnable", 1);
    store.set_dword("ShutdownOnCapBatteryEnable", 1);
    store.set_dword("ShutdownOnCapBatteryWait", 30);
    store.set_dword("ShutdownOnUBatteryEnable", 1);
    store.set_dword("ShutdownOnUBatteryWait", 108);
    store.set_dword("SignalTimeEnable", 1);
    store.set_dword("TrayTempInfo", 1);
    store.set_string("SignalTime", "22:00-07:00");
    store.set_dword("TurnUPSOffEnable2", 1);
    store.set_dword("TurnUPSOnEnable", 1);
    store.set_dword("TurnUPSOnWait", 5);
    store.set_dword("WaitBAEnable", 1);
    store.set_dword("WaitBAWait", 90);
    store.set_dword("KeyLedEnable", 1);
    store.set_dword("KeyLedNum", 2);
  }

  SettingsLoadResult load() { return load_settings(store, settings); }

  FakeConfigStore store;
  CoreSettings settings;
};

TEST_F(LoadSettingsTest, CompleteConfigLoadsEveryValueAndWritesNothing) {
  set_complete_config();
  const SettingsLoadResult result = load();

  ASSERT_TRUE(result.names_found);
  EXPECT_STREQ(result.model, "Orvik 400");
  EXPECT_STREQ(result.vendor, "Orvik");
  EXPECT_EQ(settings.signal_enable, 1u);
  EXPECT_EQ(settings.shutdown_on_cap_battery_enable, 1u);
  EXPECT_EQ(settings.shutdown_on_cap_battery_wait, 30u);
  EXPECT_EQ(settings.shutdown_on_u_battery_enable, 1u);
  EXPECT_EQ(settings.shutdown_on_u_battery_wait, 108u);
  EXPECT_EQ(settings.signal_time_enable, 1u);
  EXPECT_EQ(settings.signal_window_start, 1320);
  EXPECT_EQ(settings.signal_window_end, 420);
  EXPECT_EQ(settings.turn_ups_on_enable, 1u);
  EXPECT_EQ(settings.turn_ups_on_wait, 5u);
  EXPECT_EQ(settings.wait_ba_enable, 1u);
  EXPECT_EQ(settings.wait_ba_wait, 90u);
  EXPECT_EQ(settings.key_led_enable, 1u);
  EXPECT_EQ(settings.key_led_mask, 4u);
  EXPECT_THAT(store.writes(), IsEmpty());
}

TEST_F(LoadSettingsTest, MissingOrUnreadableNamesFailWithoutWritingOrChangingSettings) {
  struct Case {
    const char* what;
    void (*arrange)(FakeConfigStore&);
  };
  const Case cases[] = {
      {"model absent", [](FakeConfigStore& s) { s.erase("Model"); }},
      {"vendor mistyped", [](FakeConfigStore& s) { s.set_mistyped("Vendor"); }},
      {"model too long for its buffer", [](FakeConfigStore& s) { s.set_string("Model", std::string(255, 'M')); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store = FakeConfigStore{};
    SetUp();
    c.arrange(store);
    settings = CoreSettings{};
    settings.signal_enable = 7;

    EXPECT_FALSE(load().names_found);
    EXPECT_THAT(store.writes(), IsEmpty());
    EXPECT_EQ(settings.signal_enable, 7u);
  }
}

TEST_F(LoadSettingsTest, EmptyConfigIsRepairedInLoadOrder) {
  settings.signal_enable = 1;  // stale values must not survive a load
  settings.key_led_enable = 1;
  load();

  EXPECT_THAT(store.writes(),
              ElementsAre("SignalEnable", "ShutdownOnCapBatteryEnable", "ShutdownOnCapBatteryWait",
                          "ShutdownOnUBatteryEnable", "ShutdownOnUBatteryWait", "SignalTimeEnable",
                          "TrayTempInfo", "SignalTime", "TurnUPSOffEnable2", "TurnUPSOnEnable",
                          "TurnUPSOnWait", "WaitBAEnable", "WaitBAWait", "KeyLedEnable", "KeyLedNum"));
  for (const char* name : {"SignalEnable", "ShutdownOnCapBatteryWait", "SignalTimeEnable", "TrayTempInfo",
                           "TurnUPSOffEnable2", "KeyLedNum"}) {
    EXPECT_EQ(store.dword(name), 0u) << name;
  }
  EXPECT_EQ(store.string("SignalTime"), "00:00-00:00");
  EXPECT_EQ(settings.signal_enable, 0u);
  EXPECT_EQ(settings.key_led_enable, 0u);
  EXPECT_EQ(settings.signal_window_start, 0);
  EXPECT_EQ(settings.signal_window_end, 0);
}

TEST_F(LoadSettingsTest, HalfPresentPairIsZeroedAsAWhole) {
  store.set_dword("ShutdownOnCapBatteryEnable", 1);  // its Wait is missing
  store.set_dword("ShutdownOnUBatteryWait", 108);    // its Enable is missing
  store.set_dword("TurnUPSOnEnable", 1);
  store.set_mistyped("TurnUPSOnWait");
  load();

  EXPECT_EQ(settings.shutdown_on_cap_battery_enable, 0u);
  EXPECT_EQ(store.dword("ShutdownOnCapBatteryEnable"), 0u);
  EXPECT_EQ(store.dword("ShutdownOnCapBatteryWait"), 0u);
  EXPECT_EQ(settings.shutdown_on_u_battery_wait, 0u);
  EXPECT_EQ(store.dword("ShutdownOnUBatteryWait"), 0u);
  EXPECT_EQ(settings.turn_ups_on_enable, 0u);
  EXPECT_EQ(store.dword("TurnUPSOnWait"), 0u);
}

TEST_F(LoadSettingsTest, ValuesTheCoreOnlyEnsuresAreLeftAloneWhenPresent) {
  set_complete_config();
  store.set_mistyped("SignalTimeEnable");
  load();

  EXPECT_THAT(store.writes(), ElementsAre("SignalTimeEnable"));
  EXPECT_EQ(store.dword("SignalTimeEnable"), 0u);
  EXPECT_EQ(settings.signal_time_enable, 0u);
  EXPECT_EQ(store.dword("TrayTempInfo"), 1u);
  EXPECT_EQ(store.dword("TurnUPSOffEnable2"), 1u);
}

TEST_F(LoadSettingsTest, UnreadableSignalTimeIsRepairedAsEmptyWindow) {
  const std::string texts[] = {"22:00", "evening", "", "22:00-07",
                               "22:00-07:00" + std::string(40, ' ')};  // 51 bytes: too big to read
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    set_complete_config();
    store.set_string("SignalTime", text);
    load();
    EXPECT_EQ(store.string("SignalTime"), "00:00-00:00");
    EXPECT_EQ(settings.signal_window_start, 0);
    EXPECT_EQ(settings.signal_window_end, 0);
  }
  store.set_mistyped("SignalTime");
  load();
  EXPECT_EQ(store.string("SignalTime"), "00:00-00:00");
}

TEST_F(LoadSettingsTest, SignalTimeGivesMinutesOfTheDay) {
  set_complete_config();
  store.set_string("SignalTime", "8:5-17:45");
  load();
  EXPECT_EQ(settings.signal_window_start, 8 * 60 + 5);
  EXPECT_EQ(settings.signal_window_end, 17 * 60 + 45);
  EXPECT_THAT(store.writes(), IsEmpty());
}

TEST_F(LoadSettingsTest, KeyLedNumOutsideTheThreeLightsSelectsNone) {
  set_complete_config();
  store.set_dword("KeyLedNum", 3);
  load();
  EXPECT_EQ(settings.key_led_enable, 1u);
  EXPECT_EQ(settings.key_led_mask, 0u);
}

TEST(KeyLedMaskTest, IndexSelectsScrollNumOrCapsLock) {
  EXPECT_EQ(key_led_mask_from_index(0), 1u);
  EXPECT_EQ(key_led_mask_from_index(1), 2u);
  EXPECT_EQ(key_led_mask_from_index(2), 4u);
  EXPECT_EQ(key_led_mask_from_index(3), 0u);
  EXPECT_EQ(key_led_mask_from_index(0xFFFFFFFFu), 0u);
}

}  // namespace
}  // namespace core
