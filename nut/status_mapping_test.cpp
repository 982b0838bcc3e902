#include "nut/status_mapping.h"

#include <gtest/gtest.h>

#include <optional>

namespace nut {
namespace {

using namespace ups_link;

TEST(StatusMappingTest, StatusWordsOfRealServersBecomeOurBits) {
  struct Case {
    const char* status;
    std::uint32_t bits;
    bool forced;
    bool critical;
  };
  const Case cases[] = {
      // nutdrv_qx (Q1 UPSes)
      {"OL", 0, false, false},
      {"OB", STATUS_UTILITY_FAIL, false, false},
      {"OB LB", STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW, false, true},
      {"OL BOOST", STATUS_AVR, false, false},
      {"OL TRIM", STATUS_AVR, false, false},
      {"OL BYPASS", STATUS_AVR, false, false},
      {"OL CAL", STATUS_TEST, false, false},
      {"ALARM OL FSD", 0, true, true},
      {"ALARM OB LB FSD", STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW, true, true},
      // upsd's own forced-shutdown flag in front
      {"FSD OL", 0, true, true},
      {"FSD OB LB", STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW, true, true},
      // usbhid-ups and others
      {"OL CHRG", 0, false, false},
      {"OB DISCHRG", STATUS_UTILITY_FAIL, false, false},
      {"OB DISCHRG LB", STATUS_UTILITY_FAIL | STATUS_BATTERY_LOW, false, true},
      {"OL CHRG LB", 0, false, false},  // back on mains and recharging: never a reason to shut down
      {"OL RB", STATUS_UPS_FAULT, false, false},
      {"OFF", 0, false, false},
      {"OL OB", STATUS_UTILITY_FAIL, false, false},
      {"", 0, false, false},
      {"ol ob lb fsd", 0, false, false},  // status words are upper case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    const MappedStatus mapped = map_server_variables({{"ups.status", c.status}});
    EXPECT_TRUE(mapped.usable);
    EXPECT_EQ(mapped.status.status_bits, c.bits);
    EXPECT_EQ(mapped.forced_shutdown, c.forced);
    EXPECT_EQ(mapped.critical, c.critical);
  }
}

TEST(StatusMappingTest, OtherVariablesSetTheRemainingBits) {
  struct Case {
    const char* what;
    ServerVariables variables;
    std::uint32_t bits;
  };
  const Case cases[] = {
      {"line-interactive, beeper on",
       {{"ups.status", "OL"}, {"ups.type", "offline / line interactive"}, {"ups.beeper.status", "enabled"}},
       STATUS_LINE_INTERACTIVE | STATUS_BEEPER_ON},
      {"online, beeper off", {{"ups.status", "OL"}, {"ups.type", "online"}, {"ups.beeper.status", "disabled"}}, 0},
      {"beeper muted", {{"ups.status", "OL"}, {"ups.beeper.status", "muted"}}, 0},
      {"Q1 fault alarm", {{"ups.status", "ALARM OL"}, {"ups.alarm", "UPS selftest failed!"}}, STATUS_UPS_FAULT},
      {"both Q1 alarms",
       {{"ups.status", "ALARM OB FSD"}, {"ups.alarm", "UPS selftest failed! Shutdown imminent!"}},
       STATUS_UTILITY_FAIL | STATUS_UPS_FAULT},
      {"other alarm", {{"ups.status", "ALARM OL"}, {"ups.alarm", "Awaiting power!"}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(map_server_variables(c.variables).status.status_bits, c.bits);
  }
}

TEST(StatusMappingTest, NutsQ1DriverReadingOfOurSimulatorFillsTheRecord) {
  // upsc of NUT 2.8.0's nutdrv_qx, the simulator on battery (abridged to what is read).
  const ServerVariables upsc = {
      {"battery.charge", "69"},           {"battery.voltage", "12.20"},
      {"battery.voltage.high", "13.00"},  {"battery.voltage.low", "10.40"},
      {"input.frequency", "50.0"},        {"input.voltage", "0.0"},
      {"input.voltage.fault", "0.0"},     {"output.voltage", "220.0"},
      {"ups.beeper.status", "enabled"},   {"ups.load", "23"},
      {"ups.status", "OB"},               {"ups.temperature", "27.2"},
      {"ups.type", "offline / line interactive"},
  };
  const MappedStatus mapped = map_server_variables(upsc);
  ASSERT_TRUE(mapped.usable);
  EXPECT_FLOAT_EQ(mapped.status.input_voltage, 0.0f);
  EXPECT_FLOAT_EQ(mapped.status.input_fault_voltage, 0.0f);
  EXPECT_FLOAT_EQ(mapped.status.output_voltage, 220.0f);
  EXPECT_FLOAT_EQ(mapped.status.frequency, 50.0f);
  EXPECT_FLOAT_EQ(mapped.status.battery_voltage, 12.2f);
  EXPECT_FLOAT_EQ(mapped.status.temperature, 27.2f);
  EXPECT_EQ(mapped.status.load_percent, 23);
  EXPECT_EQ(mapped.status.status_bits, STATUS_UTILITY_FAIL | STATUS_LINE_INTERACTIVE | STATUS_BEEPER_ON);
  EXPECT_EQ(mapped.capacity_percent, std::optional<float>(69.0f));
  EXPECT_FALSE(mapped.runtime_minutes);  // nutdrv_qx gives no runtime for this UPS
}

TEST(StatusMappingTest, MissingOrMalformedNumbersFallBackAndNeverLeakGarbage) {
  struct Case {
    const char* what;
    ServerVariables variables;
    float input, fault, frequency, temperature;
    std::int32_t load;
    std::optional<float> capacity, runtime;
  };
  const Case cases[] = {
      {"only a status", {{"ups.status", "OL"}}, 0, 0, 0, 25.0f, 0, std::nullopt, std::nullopt},
      {"no fault voltage, output frequency",
       {{"ups.status", "OL"}, {"input.voltage", "231.4"}, {"output.frequency", "49.9"}},
       231.4f, 231.4f, 49.9f, 25.0f, 0, std::nullopt, std::nullopt},
      {"usbhid-ups style",
       {{"ups.status", "OB DISCHRG"}, {"input.voltage", "0"}, {"ups.load", "37"}, {"battery.charge", "88"},
        {"battery.runtime", "1530"}},
       0, 0, 0, 25.0f, 37, 88.0f, 25.5f},
      {"rounded load, clamped charge",
       {{"ups.status", "OL"}, {"ups.load", "12.6"}, {"battery.charge", "104"}, {"battery.runtime", "-5"}},
       0, 0, 0, 25.0f, 13, 100.0f, std::nullopt},
      {"comma, exponent, words",
       {{"ups.status", "OL"}, {"input.voltage", "230,5"}, {"ups.load", "1e2"}, {"battery.charge", "full"},
        {"ups.temperature", "nan"}},
       0, 0, 0, 25.0f, 0, std::nullopt, std::nullopt},
      {"beyond a float",
       {{"ups.status", "OL"}, {"input.voltage", std::string(60, '9')}, {"ups.load", std::string(30, '9')}},
       0, 0, 0, 25.0f, 2147483647, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MappedStatus mapped = map_server_variables(c.variables);
    ASSERT_TRUE(mapped.usable);
    EXPECT_FLOAT_EQ(mapped.status.input_voltage, c.input);
    EXPECT_FLOAT_EQ(mapped.status.input_fault_voltage, c.fault);
    EXPECT_FLOAT_EQ(mapped.status.frequency, c.frequency);
    EXPECT_FLOAT_EQ(mapped.status.temperature, c.temperature);
    EXPECT_EQ(mapped.status.load_percent, c.load);
    EXPECT_EQ(mapped.capacity_percent, c.capacity);
    EXPECT_EQ(mapped.runtime_minutes, c.runtime);
  }
}

TEST(StatusMappingTest, WithoutUpsStatusNothingIsUsable) {
  const MappedStatus mapped = map_server_variables({{"input.voltage", "230.0"}, {"battery.charge", "10"}});
  EXPECT_FALSE(mapped.usable);
  EXPECT_FALSE(mapped.critical);
  EXPECT_FALSE(mapped.capacity_percent);
}

}  // namespace
}  // namespace nut
