#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/test_config_store.h"
#include "settings/general_page.h"
#include "settings/settings_ids.h"
#include "settings/statistics_page.h"
#include "settings/test_page.h"
#include "settings/tray_page.h"

namespace settings {
namespace {

using core::FakeConfigStore;

const std::vector<std::string> kGeneralOrder = {
    "CriticalPowerAction", "ShutdownOnBatteryEnable", "ShutdownOnBatteryWait", "ShutdownOnCapBatteryEnable",
    "ShutdownOnCapBatteryWait", "ShutdownOnUBatteryEnable", "ShutdownOnUBatteryWait", "TurnUPSOffEnable",
    "TurnUPSOffEnable2", "TurnUPSOffWait", "TurnUPSOnEnable", "TurnUPSOnWait", "SignalEnable", "SignalTimeEnable",
    "SignalTime", "WaitBAEnable", "WaitBAWait", "KeyLedEnable", "KeyLedNum"};

// Each DWORD its place in the page's order, with a few chosen exceptions.
FakeConfigStore general_store() {
  FakeConfigStore store;
  std::uint32_t value = 1;
  for (const std::string& name : kGeneralOrder) store.set_dword(name, value++);
  store.set_dword("ShutdownOnBatteryEnable", 7);  // any non-zero is checked
  store.set_dword("ShutdownOnCapBatteryEnable", 0);
  store.set_dword("TurnUPSOffWait", 5000);  // typed past the arrows' range
  store.set_dword("KeyLedNum", 2);
  store.set_string("SignalTime", "22:30-07:05");
  return store;
}

TEST(TypedNumber, DigitsUpToTheFirstOtherCharacterSaturatingAt32Bits) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"", 0}, {"5000", 5000}, {"12ab", 12}, {"-5", 0}, {" 7", 0}, {"007", 7}, {"4294967296", 4294967295u},
      {"123456789012345678901234567890", 4294967295u}};
  for (const auto& [text, value] : cases) EXPECT_EQ(typed_number(text), value) << text;
}

TEST(GeneralPage, LoadsEveryControlAndSavesItBackInThePagesOrder) {
  FakeConfigStore store = general_store();
  const PageForm form = load_general_page(store);
  const PageForm expected = {
      {1009, "1"}, {1017, "1"}, {1007, "3"},    {1018, "0"}, {1008, "5"},  {1022, "1"},      {1013, "7"},
      {1011, "1"}, {1012, "1"}, {1010, "5000"}, {1064, "1"}, {1060, "12"}, {1020, "1"},      {1023, "1"},
      {1024, "22:30"}, {1025, "7:5"}, {1068, "1"}, {1027, "17"}, {1062, "1"}, {1063, "2"}};
  EXPECT_EQ(form, expected);

  FakeConfigStore saved;
  ASSERT_TRUE(save_general_page(form, saved));
  EXPECT_EQ(saved.writes(), kGeneralOrder);
  EXPECT_EQ(saved.string("SignalTime"), "22:30-7:5");
  EXPECT_EQ(saved.dword("ShutdownOnBatteryEnable"), 1u);
  EXPECT_EQ(saved.dword("TurnUPSOffWait"), 5000u);
  EXPECT_EQ(load_general_page(saved), expected);
}

TEST(GeneralPage, MissingMistypedOrUnlistedValuesLeaveTheControlsEmpty) {
  FakeConfigStore missing;
  FakeConfigStore mistyped;
  for (const std::string& name : kGeneralOrder) mistyped.set_mistyped(name);
  FakeConfigStore unlisted;
  unlisted.set_dword("CriticalPowerAction", 2);  // the combo has no third item
  for (FakeConfigStore* store : {&missing, &mistyped, &unlisted}) {
    const PageForm form = load_general_page(*store);
    const std::tuple<int, const char*> controls[] = {
        {IDC_GEN_ON_BATTERY, "0"}, {IDC_GEN_TURN_OFF_WAIT, ""}, {IDC_GEN_ACTION, ""}, {IDC_GEN_SIGNAL_TO, "0:0"}};
    for (const auto& [control, text] : controls) EXPECT_EQ(form.at(control), text) << control;
  }
}

TEST(GeneralPage, BeeperWindowLoadsOnlyAsTwoTimesOfDayAndPickersSaveMidnightForNonsense) {
  const std::tuple<const char*, const char*, const char*> loads[] = {
      {"0:0-23:59", "0:0", "23:59"}, {"24:00-01:00", "0:0", "0:0"}, {"01:60-02:00", "0:0", "0:0"},
      {"01:00--2:00", "0:0", "0:0"}, {"1:2-3", "0:0", "0:0"},       {"1:2 3:4", "0:0", "0:0"},
      {"99999999999999:0-1:0", "0:0", "0:0"}};
  for (const auto& [stored, from, to] : loads) {
    FakeConfigStore store;
    store.set_string("SignalTime", stored);
    const PageForm form = load_general_page(store);
    EXPECT_EQ(form.at(IDC_GEN_SIGNAL_FROM) + " " + form.at(IDC_GEN_SIGNAL_TO), std::string(from) + " " + to) << stored;
  }
  FakeConfigStore saved;
  save_general_page({{IDC_GEN_SIGNAL_FROM, "noon"}, {IDC_GEN_SIGNAL_TO, "07:05"}}, saved);
  EXPECT_EQ(saved.string("SignalTime"), "0:0-7:5");
}

TEST(GeneralPage, AFailedWriteIsReportedAndTheRestStillWritten) {
  FakeConfigStore store;
  store.fail_writes("TurnUPSOffWait");
  EXPECT_FALSE(save_general_page({}, store));
  EXPECT_EQ(store.dword("KeyLedNum"), 0u);
}

TEST(GeneralPage, TurnOnRangeFollowsTheVendorAndTheWindowTheBeeperBox) {
  for (const auto& [vendor, high] : {std::pair{"Lunem", 255}, std::pair{"Lunem2", 9999}, std::pair{"", 9999}}) {
    const auto ranges = general_page_ranges(vendor);
    const auto it = std::find_if(ranges.begin(), ranges.end(), [](auto r) { return r.edit == IDC_GEN_TURN_ON_WAIT; });
    ASSERT_NE(it, ranges.end());
    EXPECT_EQ(it->high, high) << vendor;
  }
  EXPECT_TRUE(general_page_enables({{IDC_GEN_SIGNAL, "1"}, {IDC_GEN_SIGNAL_WINDOW, "0"}}, false).signal_window);
  EXPECT_FALSE(general_page_enables({{IDC_GEN_SIGNAL, "0"}, {IDC_GEN_SIGNAL_WINDOW, "1"}}, true).signal_window);
}

TEST(GeneralPage, SettingsRecordComesFromTheSavedForm) {
  FakeConfigStore store = general_store();
  const ipc::SettingsRecord r = settings_record_from_form(load_general_page(store));
  // Packed fields: copied, never bound.
  const std::vector<std::int64_t> fields = {
      r.size, r.cmd, r.shutdown_on_cap_battery_enable, r.shutdown_on_cap_battery_wait,
      r.shutdown_on_u_battery_enable, r.shutdown_on_u_battery_wait, r.signal_enable, r.signal_time_enable,
      r.signal_window_start, r.signal_window_end, r.turn_ups_on_enable, r.turn_ups_on_wait,
      r.key_led_enable, r.key_led_num, r.wait_ba_enable, r.wait_ba_wait};
  EXPECT_EQ(fields, (std::vector<std::int64_t>{55, ipc::MSG_SETTINGS, 0, 5, 1, 7, 1, 1, 22 * 60 + 30, 7 * 60 + 5, 1,
                                               12, 1, 2, 1, 17}));
  const int key_led_num = settings_record_from_form({{IDC_GEN_KEY_LED_NUM, "256"}}).key_led_num;
  EXPECT_EQ(key_led_num, 127) << "never wraps round to a valid index";
}

TEST(TrayPage, EmptyPathsDeleteTheirValuesAndLongOnesAreCut) {
  FakeConfigStore store;
  store.set_string("ICO_ONLINE", "C:\\online.ico");
  store.set_dword("TrayTempInfo", 3);
  store.set_mistyped("ICO_BAT");
  PageForm form = load_tray_page(store);
  EXPECT_EQ(form, (PageForm{{1025, "C:\\online.ico"}, {1026, ""}, {1027, ""}, {1032, ""}, {1016, "1"}, {1064, "0"}}));

  std::string wide;  // three bytes a character: 255 of them would not read back within 512 bytes
  for (int i = 0; i < 300; ++i) wide += "€";
  form[IDC_TRAY_ONLINE_PATH] = "";
  form[IDC_TRAY_AVR_PATH] = std::string(300, 'a');
  form[IDC_TRAY_BAT_PATH] = wide;
  ASSERT_TRUE(save_tray_page(form, store));
  EXPECT_EQ(store.string("ICO_ONLINE"), std::nullopt);
  EXPECT_EQ(store.writes(), (std::vector<std::string>{"ICO_ONLINE", "ICO_AVR", "ICO_BAT", "ICO_NOUPS", "TrayTempInfo",
                                                      "AltTrayInfo"}));
  EXPECT_EQ(store.string("ICO_AVR"), std::string(kIconPathChars, 'a'));
  EXPECT_EQ(load_tray_page(store).at(IDC_TRAY_BAT_PATH), wide.substr(0, 3 * 170));
}

TEST(StatisticsPage, RateIsSignedAndThePageRoundTrips) {
  FakeConfigStore store;
  store.set_dword("stat_on", 1);
  store.set_dword("stat_rate", 4294967295u);
  store.set_string("stat_path", "C:\\stat");
  const PageForm form = load_statistics_page(store);
  EXPECT_EQ(form, (PageForm{{1039, "1"}, {1042, "0"}, {1043, "-1"}, {1044, "0"}, {1040, "C:\\stat"}}));
  FakeConfigStore saved;
  ASSERT_TRUE(save_statistics_page(form, saved));
  EXPECT_EQ(load_statistics_page(saved), form);

  const std::pair<const char*, std::uint32_t> rates[] = {
      {"-", 0}, {"3000000000", 0x7FFFFFFFu}, {"-3000000000", 0x80000000u}};
  for (const auto& [typed, stored] : rates) {
    save_statistics_page({{IDC_STAT_RATE, typed}}, saved);
    EXPECT_EQ(saved.dword("stat_rate"), stored) << typed;
  }
  save_statistics_page({{IDC_STAT_PATH, std::string(300, 'p')}}, saved);
  EXPECT_EQ(saved.string("stat_path"), std::string(255, 'p')) << "what the recorder can read";
}

TEST(TestPage, MinutesMissingOrMistypedAreWrittenAsOneAndSavedAsTyped) {
  for (const bool mistyped : {false, true}) {
    FakeConfigStore store;
    if (mistyped) store.set_mistyped("testNUPS");
    EXPECT_EQ(load_test_page(store).at(IDC_TEST_MINUTES), "1");
    EXPECT_EQ(store.dword("testNUPS"), 1u);
  }
  FakeConfigStore store;
  store.set_dword("testNUPS", 42);
  EXPECT_EQ(load_test_page(store).at(IDC_TEST_MINUTES), "42");
  EXPECT_TRUE(store.writes().empty());
  ASSERT_TRUE(save_test_page({{IDC_TEST_MINUTES, "150"}}, store));
  EXPECT_EQ(store.dword("testNUPS"), 150u);
}

TEST(TestPage, ButtonsSendTheirMessages) {
  const std::tuple<int, const char*, std::uint32_t, std::uint32_t> cases[] = {
      {IDC_TEST_SHORT, "5", ipc::MSG_TEST_SHORT, 0},
      {IDC_TEST_MINUTES_START, "0", ipc::MSG_TEST_MINUTES, 1},
      {IDC_TEST_MINUTES_START, "", ipc::MSG_TEST_MINUTES, 1},
      {IDC_TEST_MINUTES_START, "150", ipc::MSG_TEST_MINUTES, 99},
      {IDC_TEST_MINUTES_START, "42", ipc::MSG_TEST_MINUTES, 42},
      {IDC_TEST_UNTIL_LOW, "5", ipc::MSG_TEST_UNTIL_LOW, 0},
      {IDC_TEST_SHORT_CANCEL, "5", ipc::MSG_TEST_CANCEL, 0},
      {IDC_TEST_MINUTES_CANCEL, "5", ipc::MSG_TEST_CANCEL, 0},
      {IDC_TEST_UNTIL_LOW_CANCEL, "5", ipc::MSG_TEST_CANCEL, 0},
  };
  for (const auto& [control, minutes, cmd, word] : cases) {
    const auto message = test_button_message(control, {{IDC_TEST_MINUTES, minutes}});
    ASSERT_TRUE(message) << control;
    EXPECT_EQ(message->cmd, cmd) << control;
    EXPECT_EQ(message->size, word ? 12u : 8u) << control;
    EXPECT_EQ(word ? message->payload_word() : 0u, word) << minutes;
  }
  EXPECT_FALSE(test_button_message(IDC_TEST_MINUTES, {{IDC_TEST_MINUTES, "5"}}));
}

}  // namespace
}  // namespace settings
