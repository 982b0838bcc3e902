// The registry read rules against the real registry of the Wine prefix.
#include "platform/registry_win.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <string>

#include "platform/system_function_win.h"

namespace platform {
namespace {

class RegistryRules : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "SOFTWARE\\OrvikTest\\registry_" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, kKeyReadWrite, nullptr,
                              key_.receive(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    key_.reset();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
  }
  void set_raw(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key_.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  std::string read_string(const char* name, std::size_t buffer_size, bool* ok) {
    std::string buffer(buffer_size, '?');
    *ok = read_string_value(key_.get(), name, buffer.data(), buffer_size);
    return buffer.c_str();
  }

  std::string path_;
  UniqueKey key_;
};

TEST_F(RegistryRules, ReadsPlainAndExpandableStrings) {
  set_raw("plain", REG_SZ, "COM1", 5);
  set_raw("expand", REG_EXPAND_SZ, "%TEMP%", 7);
  bool ok = false;
  EXPECT_EQ(read_string("plain", 255, &ok), "COM1");
  EXPECT_TRUE(ok);
  EXPECT_EQ(read_string("expand", 255, &ok), "%TEMP%");
  EXPECT_TRUE(ok);
}

TEST_F(RegistryRules, EmptyValueIsTheEmptyString) {
  set_raw("empty", REG_SZ, "", 0);
  bool ok = false;
  EXPECT_EQ(read_string("empty", 255, &ok), "");
  EXPECT_TRUE(ok);
}

TEST_F(RegistryRules, StringOfAnotherTypeFails) {
  set_raw("binary", REG_BINARY, "COM1", 5);
  set_raw("multi", REG_MULTI_SZ, "COM1\0", 6);
  bool ok = true;
  EXPECT_EQ(read_string("binary", 255, &ok), "");
  EXPECT_FALSE(ok);
  read_string("multi", 255, &ok);
  EXPECT_FALSE(ok);
}

TEST_F(RegistryRules, StringWithoutTerminatorFails) {
  // Stored through the native call: Wine's registry calls supply a missing terminator on the way in.
  using SetValueKey = LONG(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, const void*, ULONG);
  auto set_value_key = find_system_function<SetValueKey>(GetModuleHandleA("ntdll.dll"), "NtSetValueKey");
  ASSERT_NE(set_value_key, nullptr);
  wchar_t name[] = L"unterminated";
  UNICODE_STRING unicode_name{sizeof name - sizeof(wchar_t), sizeof name, name};
  ASSERT_EQ(set_value_key(key_.get(), &unicode_name, 0, REG_SZ, L"COM1", 8), 0);
  bool ok = true;
  read_string("unterminated", 255, &ok);
  EXPECT_FALSE(ok);
}

TEST_F(RegistryRules, StringMustFitTheBufferWithItsTerminator) {
  std::string fits(254, 'a');
  std::string too_long(255, 'b');
  set_raw("fits", REG_SZ, fits.c_str(), 255);
  set_raw("too_long", REG_SZ, too_long.c_str(), 256);
  bool ok = false;
  EXPECT_EQ(read_string("fits", 255, &ok), fits);
  EXPECT_TRUE(ok);
  EXPECT_EQ(read_string("too_long", 255, &ok), "");
  EXPECT_FALSE(ok);
}

TEST_F(RegistryRules, MissingStringFails) {
  bool ok = true;
  read_string("absent", 255, &ok);
  EXPECT_FALSE(ok);
}

TEST_F(RegistryRules, DwordNeedsItsTypeAndFourBytes) {
  DWORD five = 5;
  unsigned long long eight = 8;
  set_raw("dword", REG_DWORD, &five, 4);
  set_raw("binary4", REG_BINARY, &five, 4);
  set_raw("qword", REG_QWORD, &eight, 8);
  std::uint32_t value = 77;
  EXPECT_TRUE(read_dword_value(key_.get(), "dword", value));
  EXPECT_EQ(value, 5u);
  value = 77;
  EXPECT_FALSE(read_dword_value(key_.get(), "binary4", value));
  EXPECT_FALSE(read_dword_value(key_.get(), "qword", value));
  EXPECT_FALSE(read_dword_value(key_.get(), "absent", value));
  EXPECT_EQ(value, 77u) << "a failed read leaves the value alone";
}

TEST_F(RegistryRules, WrittenValuesReadBack) {
  ASSERT_TRUE(write_dword_value(key_.get(), "n", 1320));
  ASSERT_TRUE(write_string_value(key_.get(), "s", "00:00-00:00"));
  std::uint32_t n = 0;
  EXPECT_TRUE(read_dword_value(key_.get(), "n", n));
  EXPECT_EQ(n, 1320u);
  bool ok = false;
  EXPECT_EQ(read_string("s", 50, &ok), "00:00-00:00");
  EXPECT_TRUE(ok);
}

TEST(RegistryKeys, OpenKeyFailsForAMissingKeyAndNeverCreatesIt) {
  UniqueKey key = open_key("SOFTWARE\\OrvikTest\\never_created");
  EXPECT_FALSE(key);
  EXPECT_FALSE(open_key("SOFTWARE\\OrvikTest\\never_created", KEY_READ));
}

}  // namespace
}  // namespace platform
