// Settings and the model database read from, and repaired in, the real registry of the prefix.
#include <gtest/gtest.h>

#include <string>

#include "core/core_settings.h"
#include "core/model_database_win.h"
#include "core/registry_config_store_win.h"
#include "platform/registry_win.h"
#include "platform/test_trace_capture.h"

namespace core {
namespace {

class ScratchKey : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "SOFTWARE\\OrvikTest\\core_" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, platform::kKeyReadWrite, nullptr,
                              key_.receive(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    key_.reset();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
  }
  std::uint32_t dword(const char* name) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(platform::read_dword_value(key_.get(), name, value)) << name << " was not written back";
    return value;
  }
  void set_multi_string(const char* name, const std::string& items) {
    ASSERT_EQ(RegSetValueExA(key_.get(), name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(items.data()),
                             static_cast<DWORD>(items.size())),
              ERROR_SUCCESS);
  }

  std::string path_;
  platform::UniqueKey key_;
};

TEST_F(ScratchKey, SettingsAreLoadedAndBrokenValuesRepairedInTheRegistry) {
  HKEY k = key_.get();
  platform::write_string_value(k, "Model", "Varnelo 600");
  platform::write_string_value(k, "Vendor", "Orvik");
  platform::write_dword_value(k, "ShutdownOnCapBatteryEnable", 1);  // its Wait is missing
  platform::write_string_value(k, "ShutdownOnUBatteryEnable", "1");  // a string, not a DWORD
  platform::write_dword_value(k, "ShutdownOnUBatteryWait", 110);
  platform::write_string_value(k, "SignalTime", "22:00-07:00");
  platform::write_dword_value(k, "KeyLedEnable", 1);
  platform::write_dword_value(k, "KeyLedNum", 3);

  RegistryConfigStore store(k);
  CoreSettings settings;
  SettingsLoadResult result = load_settings(store, settings);

  ASSERT_TRUE(result.names_found);
  EXPECT_STREQ(result.model, "Varnelo 600");
  EXPECT_STREQ(result.vendor, "Orvik");
  EXPECT_EQ(settings.shutdown_on_cap_battery_enable, 0u);
  EXPECT_EQ(dword("ShutdownOnCapBatteryEnable"), 0u);
  EXPECT_EQ(dword("ShutdownOnCapBatteryWait"), 0u);
  EXPECT_EQ(dword("ShutdownOnUBatteryEnable"), 0u);
  EXPECT_EQ(dword("ShutdownOnUBatteryWait"), 0u);
  EXPECT_EQ(settings.signal_window_start, 1320);
  EXPECT_EQ(settings.signal_window_end, 420);
  EXPECT_EQ(settings.key_led_enable, 1u);
  EXPECT_EQ(settings.key_led_mask, 0u) << "KeyLedNum 3 selects no light";
  EXPECT_EQ(dword("SignalEnable"), 0u);
  EXPECT_EQ(dword("TrayTempInfo"), 0u);
  EXPECT_EQ(dword("TurnUPSOffEnable2"), 0u);
}

TEST_F(ScratchKey, MissingModelNameFailsWithoutWritingAnything) {
  platform::write_string_value(key_.get(), "Vendor", "Orvik");
  RegistryConfigStore store(key_.get());
  CoreSettings settings;
  EXPECT_FALSE(load_settings(store, settings).names_found);
  std::uint32_t value = 0;
  EXPECT_FALSE(platform::read_dword_value(key_.get(), "SignalEnable", value));
}

TEST_F(ScratchKey, ModelEntryIsReadAsAMultiString) {
  static const char entry[] = "VA:400\0UMIN:10.4\0UMAX:13\0MOD:1\0T0VA:45\0T125VA:25\0T150VA:14\0T300VA:5\0";
  set_multi_string("Varnelo 600", std::string(entry, sizeof entry));  // the literal's own NUL ends the list
  platform::TraceCapture trace;
  ModelRecord model = read_model(key_.get(), "Varnelo 600");
  EXPECT_TRUE(model.valid);
  EXPECT_FLOAT_EQ(model.va, 400.0f);
  EXPECT_FLOAT_EQ(model.u_min, 10.4f);
  EXPECT_EQ(model.runtime_table.count(), 4u);
  EXPECT_TRUE(trace.contains(" OK\n"));
}

TEST_F(ScratchKey, ModelEntryOfTheWrongTypeIsNotFound) {
  platform::write_string_value(key_.get(), "Varnelo 600", "VA:400");
  platform::TraceCapture trace;
  EXPECT_FALSE(read_model(key_.get(), "Varnelo 600").valid);
  EXPECT_EQ(trace.joined(), " UPS::database = NOT FOUND\n");
}

TEST_F(ScratchKey, MissingModelEntryIsNotFound) {
  platform::TraceCapture trace;
  EXPECT_FALSE(read_model(key_.get(), "Nonexistent 1000").valid);
  EXPECT_EQ(trace.joined(), " UPS::database = NOT FOUND\n");
}

}  // namespace
}  // namespace core
