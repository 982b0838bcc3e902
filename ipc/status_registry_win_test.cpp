// The registry status values against the real registry of the prefix.
#include "ipc/status_registry_win.h"

#include <gtest/gtest.h>

#include <string>

#include "ipc/test_status_values.h"
#include "platform/registry_win.h"

namespace ipc {
namespace {

class StatusKey : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = "SOFTWARE\\OrvikTest\\ipc_status_" + std::to_string(GetCurrentProcessId());
    path_ = parent_ + "\\Status";
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, parent_.c_str());
  }
  void create_key() {
    platform::UniqueKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, platform::kKeyReadWrite, nullptr,
                              key.receive(), nullptr),
              ERROR_SUCCESS);
  }
  void publish(float battery_voltage, bool link_lost) {
    ups_link::UpsStatus status;
    status.battery_voltage = battery_voltage;
    status.load_percent = 25;
    UpsSharedBlock block{};
    RegistryStatusWriter registry(path_.c_str());
    publish_status(block, status, testing::example_model(), link_lost, registry);
  }
  // The DWORD named `name`; -1 when it is missing or of another type.
  long long dword(const char* name) {
    platform::UniqueKey key = platform::open_key(path_.c_str());
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
      return -1;
    return value;
  }

  std::string parent_, path_;
};

TEST_F(StatusKey, FourDwordsAreWrittenAndALostLinkChangesOnlyCommStatus) {
  create_key();
  publish(12.0f, false);
  EXPECT_EQ(dword("CommStatus"), 1);
  EXPECT_EQ(dword("BatteryStatus"), 1);
  EXPECT_EQ(dword("BatteryCapacity"), 50);
  EXPECT_EQ(dword("TotalUPSRuntime"), 14);

  publish(14.0f, true);
  EXPECT_EQ(dword("CommStatus"), 0);
  EXPECT_EQ(dword("BatteryCapacity"), 50);
  EXPECT_EQ(dword("TotalUPSRuntime"), 14);
}

TEST_F(StatusKey, MissingKeyIsNotCreated) {
  publish(12.0f, false);
  publish(12.0f, true);
  EXPECT_FALSE(platform::open_key(path_.c_str())) << "publishing created the Status key";
  EXPECT_FALSE(platform::open_key(parent_.c_str()));
}

}  // namespace
}  // namespace ipc
