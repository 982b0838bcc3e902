#include "nut/served_variables.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <vector>

#include "link/status_line.h"
#include "nut/test_varnelo.h"

namespace nut {
namespace {

std::map<std::string, std::string> as_map(const VariableSnapshot& snapshot) {
  std::map<std::string, std::string> values;
  for (const NutVariable& variable : snapshot.variables) values[variable.name] = variable.value;
  return values;
}

// Each status line was played by the UPS simulator while NUT 2.8.0's nutdrv_qx (megatec protocol,
// pollfreq 1) read it; `upsc` then printed these values. Our server must print the same.
struct UpscRecord {
  const char* what;
  const char* line;
  std::map<std::string, std::string> upsc;
};

const UpscRecord kUpscRecords[] = {
    {"on mains", "(229.0 229.0 229.0 023 50.0 13.6 27.2 00001001",
     {{"battery.voltage", "13.60"}, {"input.frequency", "50.0"}, {"input.voltage", "229.0"},
      {"input.voltage.fault", "229.0"}, {"output.voltage", "229.0"}, {"ups.beeper.status", "enabled"},
      {"ups.load", "23"}, {"ups.status", "OL"}, {"ups.temperature", "27.2"},
      {"ups.type", "offline / line interactive"}}},
    {"mains cut", "(000.0 000.0 220.0 023 50.0 13.5 27.2 10001001",
     {{"battery.voltage", "13.50"}, {"input.voltage", "0.0"}, {"input.voltage.fault", "0.0"},
      {"output.voltage", "220.0"}, {"ups.status", "OB"}}},
    {"battery low", "(000.0 000.0 220.0 023 50.0 13.5 27.2 11001001", {{"ups.status", "OB LB"}}},
    {"low mains boosted", "(190.0 190.0 220.0 023 50.0 13.6 27.2 00101001",
     {{"input.voltage", "190.0"}, {"output.voltage", "220.0"}, {"ups.status", "OL BOOST"}}},
    {"high mains trimmed", "(255.0 255.0 220.0 023 50.0 13.6 27.2 00101001",
     {{"input.voltage", "255.0"}, {"ups.status", "OL TRIM"}}},
    {"regulation bit, output as input", "(231.0 231.0 231.0 012 50.0 13.6 25.3 00101001",
     {{"ups.status", "OL BYPASS"}}},
    {"UPS fault", "(229.0 229.0 229.0 023 50.0 13.6 27.2 00011001",
     {{"ups.alarm", "UPS selftest failed!"}, {"ups.status", "ALARM OL"}}},
    {"battery test", "(229.0 229.0 220.0 023 50.0 13.6 27.2 00001101",
     {{"output.voltage", "220.0"}, {"ups.status", "OL CAL"}}},
    {"turn-off pending", "(229.0 229.0 229.0 023 50.0 13.4 27.2 00001011",
     {{"battery.voltage", "13.40"}, {"ups.alarm", "Shutdown imminent!"}, {"ups.status", "ALARM OL FSD"}}},
    {"turn-off pending on battery", "(000.0 000.0 220.0 023 50.0 13.4 27.2 10001011",
     {{"ups.alarm", "Shutdown imminent!"}, {"ups.status", "ALARM OB FSD"}}},
    {"everything at once", "(000.0 000.0 220.0 023 50.0 13.3 27.2 11011011",
     {{"battery.voltage", "13.30"}, {"ups.alarm", "UPS selftest failed! Shutdown imminent!"},
      {"ups.status", "ALARM OB LB FSD"}}},
    // The driver freshly started on this line listed no ups.temperature.
    {"no sensor, beeper off", "(229.0 229.0 229.0 023 50.0 13.6 --.- 00001000",
     {{"ups.beeper.status", "disabled"}, {"ups.status", "OL"}}},
};

TEST(ServedVariablesTest, StatusLinesReadAsNutsQ1DriverReadsThem) {
  for (const UpscRecord& record : kUpscRecords) {
    SCOPED_TRACE(record.what);
    const VariableSnapshot snapshot = served_variables(block_after(record.line), varnelo_settings());
    EXPECT_FALSE(snapshot.stale);
    const std::map<std::string, std::string> ours = as_map(snapshot);
    for (const auto& [name, value] : record.upsc) {
      const auto found = ours.find(name);
      ASSERT_NE(found, ours.end()) << name;
      EXPECT_EQ(found->second, value) << name;
    }
    EXPECT_EQ(ours.contains("ups.alarm"), record.upsc.contains("ups.alarm"));
    EXPECT_EQ(ours.contains("ups.temperature"), ups_link::status_line_has_temperature(record.line));
  }
}

TEST(ServedVariablesTest, ImplausibleRegulationReadingsGiveNoRegulationWord) {
  struct Case {
    const char* line;
    const char* status;
  };
  const Case cases[] = {
      {"(230.0 230.0 114.0 012 50.0 13.6 25.0 00101001", "OL"},       // output below half the input
      {"(230.0 230.0 115.0 012 50.0 13.6 25.0 00101001", "OL TRIM"},  // exactly half
      {"(100.0 100.0 150.0 012 50.0 13.6 25.0 00101001", "OL"},       // 1.5 times the input
      {"(000.0 000.0 220.0 012 50.0 13.6 25.0 10101001", "OB"},       // no input at all
      {"(230.0 230.0 230.0 012 50.0 13.6 25.0 00100001", "OL BYPASS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(as_map(served_variables(block_after(c.line), varnelo_settings()))["ups.status"], c.status);
  }
}

TEST(ServedVariablesTest, ModelSettingsAndIdentityFillTheRest) {
  ipc::UpsSharedBlock block = block_after("(229.0 229.0 229.0 023 50.0 12.5 27.2 00000001");
  block.capacity_valid = 1;
  block.capacity = 80.9f;
  block.runtime = 12.5f;
  const VariableSnapshot snapshot = served_variables(block, varnelo_settings());
  const std::map<std::string, std::string> values = as_map(snapshot);
  const std::map<std::string, std::string> expected = {
      {"battery.charge", "80"},          {"battery.charge.low", "40"},
      {"battery.runtime", "750"},        {"battery.voltage", "12.50"},
      {"battery.voltage.high", "13.00"}, {"battery.voltage.low", "10.40"},
      {"device.mfr", "Orvik"},           {"device.model", "Varnelo 600"},
      {"device.type", "ups"},            {"driver.name", "orvik"},
      {"driver.version", "1.0.0"},       {"input.frequency", "50.0"},
      {"input.voltage", "229.0"},        {"input.voltage.fault", "229.0"},
      {"output.voltage", "229.0"},       {"ups.beeper.status", "enabled"},
      {"ups.delay.shutdown", "180"},     {"ups.delay.start", "60"},
      {"ups.load", "23"},                {"ups.mfr", "Orvik"},
      {"ups.model", "Varnelo 600"},      {"ups.power.nominal", "600"},
      {"ups.status", "OL"},              {"ups.temperature", "27.2"},
      {"ups.type", "online"},
  };
  EXPECT_EQ(values, expected);
  EXPECT_TRUE(std::is_sorted(snapshot.variables.begin(), snapshot.variables.end(),
                             [](const NutVariable& a, const NutVariable& b) { return a.name < b.name; }));
}

TEST(ServedVariablesTest, WhatIsNotKnownIsLeftOutRatherThanMadeUp) {
  ipc::UpsSharedBlock block = block_after("(229.0 229.0 229.0 023 50.0 12.5 27.2 00000001");
  block.capacity_valid = 1;
  block.capacity = 50;
  block.runtime = 0;  // beyond the runtime table: no estimate

  ServedSettings settings = varnelo_settings();
  settings.capacity_threshold_enabled = false;
  settings.restore_enabled = false;
  settings.turn_off_delay_seconds = 5;  // the UPS gets 12 s at least
  std::map<std::string, std::string> values = as_map(served_variables(block, settings));
  EXPECT_FALSE(values.contains("battery.runtime"));
  EXPECT_FALSE(values.contains("battery.charge.low"));
  EXPECT_EQ(values["ups.delay.start"], "0");
  EXPECT_EQ(values["ups.delay.shutdown"], "12");

  settings.model_valid = false;
  values = as_map(served_variables(block, settings));
  for (const char* name : {"battery.charge", "battery.voltage.high", "battery.voltage.low", "ups.power.nominal"}) {
    EXPECT_FALSE(values.contains(name)) << name;
  }
  EXPECT_EQ(values["device.model"], "Varnelo 600");
}

TEST(ServedVariablesTest, GarbledNumbersNeverBreakTheSnapshot) {
  ipc::UpsSharedBlock block = block_after("(229.0 229.0 229.0 023 50.0 12.5 27.2 00100001");
  block.status.input_voltage = std::numeric_limits<float>::quiet_NaN();
  block.status.output_voltage = std::numeric_limits<float>::infinity();
  block.capacity_valid = 1;
  block.capacity = std::numeric_limits<float>::quiet_NaN();
  block.runtime = std::numeric_limits<float>::infinity();
  const std::map<std::string, std::string> values = as_map(served_variables(block, varnelo_settings()));
  EXPECT_EQ(values.at("battery.charge"), "0");
  EXPECT_EQ(values.at("ups.status"), "OL");
  EXPECT_EQ(values.at("input.voltage").find(','), std::string::npos);
}

TEST(ServedVariablesTest, LostLinkMakesTheSnapshotStale) {
  ipc::UpsSharedBlock block = block_after("(229.0 229.0 229.0 023 50.0 12.5 27.2 00000001");
  block.link_ok = 0;
  EXPECT_TRUE(served_variables(block, varnelo_settings()).stale);
  EXPECT_EQ(ups_description("Orvik", "Varnelo 600", "COM1"), "Orvik Varnelo 600 (COM1)");
}

}  // namespace
}  // namespace nut
