// The installation steps of the `setup` export against the prefix's registry: the vendor and
// model lists, the model database and the defaults; and the dialog refused without a Config key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/model_database_win.h"
#include "setup/config_defaults.h"
#include "setup/model_table.h"
#include "setup/test_setup_export_win.h"

namespace installation {
namespace {

using namespace installation::testing;
using ::testing::UnorderedElementsAreArray;

const std::string kDescription =
    "Управляет работой источника бесперебойного питания (ИБП), подключенного к компьютеру.";

StoredValue text_value(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

// As the wide query returns it: every ASCII byte of the entry widened.
StoredValue multi_string_value(const std::string& entry) {
  StoredValue value{REG_MULTI_SZ, {}};
  for (char c : entry) value.data.insert(value.data.end(), {static_cast<BYTE>(c), 0});
  return value;
}

// The entry each model name ends up with: a later row of the same name replaces an earlier one.
std::map<std::string, std::string> expected_database() {
  std::map<std::string, std::string> entries;
  for (const ModelTable& table : model_tables())
    for (const ModelRow& row : table.rows) entries[row.model] = database_entry(row, table.loads_va);
  return entries;
}

std::vector<std::wstring> expected_models_of(const char* vendor) {
  std::set<std::wstring> models{to_utf16(kOtherModel)};
  for (const ModelTable& table : model_tables())
    for (const ModelRow& row : table.rows)
      if (std::string(row.vendor) == vendor) models.insert(to_utf16(row.model));
  return {models.begin(), models.end()};
}

class SetupExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    snapshot_ = new ServiceKeySnapshot;
    library_ = load_driver_library();
    ASSERT_NE(library_, nullptr) << GetLastError();
    setup_ = bind_setup(library_);
    ASSERT_NE(setup_, nullptr);
  }
  static void TearDownTestSuite() {
    delete snapshot_;
    snapshot_ = nullptr;
  }

  static platform::UniqueKey service() { return platform::open_key(platform::kServiceKeyPath); }
  static void delete_subkey(const char* name) { delete_key_tree(service().get(), name); }

  static std::wstring library_path() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(library_, path, MAX_PATH);
    return std::wstring(path, length);
  }

  static inline ServiceKeySnapshot* snapshot_ = nullptr;
  static inline HMODULE library_ = nullptr;
  static inline SetupFunction setup_ = nullptr;
};

void expect_database_complete() {
  platform::UniqueKey database = open_service_subkey("db");
  ASSERT_TRUE(database);
  const auto expected = expected_database();
  EXPECT_EQ(value_names(database.get()).size(), 45u);
  EXPECT_TRUE(subkey_names(database.get()).empty());
  for (const auto& [model, entry] : expected)
    EXPECT_EQ(stored_value(database.get(), to_utf16(model.c_str()).c_str()), multi_string_value(entry)) << model;

  // The monitoring core reads the second row of the model listed twice.
  const core::ModelRecord twice_listed = core::read_model(database.get(), "Zentavo 1500 (12V/7A x4x4)");
  ASSERT_TRUE(twice_listed.valid);
  EXPECT_FLOAT_EQ(twice_listed.runtime_table.front().minutes, 1000.0f);
}

TEST_F(SetupExport, ModelListsNameTheLibraryForEveryModelAndTheDatabaseIsWrittenAfresh) {
  delete_subkey("ServiceProviders");
  delete_subkey("db");
  EXPECT_EQ(setup_(kWriteModelLists, 0), 0);

  platform::UniqueKey providers = open_service_subkey("ServiceProviders");
  ASSERT_TRUE(providers);
  EXPECT_THAT(subkey_names(providers.get()), UnorderedElementsAreArray({L"Orvik", L"Tavrel", L"Lunem", L"Ondra"}));
  const StoredValue provider = text_value(L"0x0f;" + library_path());
  for (const char* vendor : kVendors) {
    SCOPED_TRACE(vendor);
    platform::UniqueKey vendor_key = open_service_subkey((std::string("ServiceProviders\\") + vendor).c_str());
    EXPECT_THAT(value_names(vendor_key.get()), UnorderedElementsAreArray(expected_models_of(vendor)));
    for (const std::wstring& model : value_names(vendor_key.get()))
      EXPECT_EQ(stored_value(vendor_key.get(), model.c_str()), provider);
  }
  ASSERT_NO_FATAL_FAILURE(expect_database_complete());

  // A database left by an older installation: what it has beyond the table goes.
  {
    platform::UniqueKey database = open_service_subkey("db", platform::kKeyReadWrite);
    const char stale[] = "VA:300\0UMIN:10.0\0UMAX:13.0\0";
    RegSetValueExA(database.get(), "Retired 300", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(stale), sizeof stale);
    create_key(create_key(database.get(), "old").get(), "older");
  }
  EXPECT_EQ(setup_(kWriteModelLists, 0), 0);
  expect_database_complete();
}

TEST_F(SetupExport, DefaultsFillWhatIsMissingAndKeepWhatCanBeRead) {
  delete_subkey("Config");
  delete_subkey("status");
  RegDeleteValueA(service().get(), "Description");
  platform::write_string_value(service().get(), "Port", "COM3");
  {
    platform::UniqueKey config = create_key(service().get(), "Config");
    platform::write_dword_value(config.get(), "TurnUPSOffWait", 300);
    platform::write_string_value(config.get(), "stat_path", std::string(255, 'p').c_str());
  }
  EXPECT_EQ(setup_(kWriteDefaults, 0), 0);
  EXPECT_EQ(setup_(kWriteDefaults, 0), 0);

  char port[16];
  EXPECT_TRUE(platform::read_string_value(service().get(), "Port", port, sizeof port));
  EXPECT_STREQ(port, "COM3");
  EXPECT_EQ(stored_value(service().get(), L"Description"), text_value(to_utf16(kDescription.c_str())));
  EXPECT_TRUE(open_service_subkey("status"));

  platform::UniqueKey config = open_service_subkey("Config", platform::kKeyReadWrite);
  ASSERT_TRUE(config);
  for (const SettingDefault& setting : config_defaults()) {
    SCOPED_TRACE(setting.name);
    if (setting.kind == SettingDefault::Kind::dword) {
      std::uint32_t value = 0;
      EXPECT_TRUE(platform::read_dword_value(config.get(), setting.name, value));
      EXPECT_EQ(value, std::string(setting.name) == "TurnUPSOffWait" ? 300u : setting.number);
    } else {
      char text[kSettingTextBufferSize];
      EXPECT_TRUE(platform::read_string_value(config.get(), setting.name, text, sizeof text));
      EXPECT_STREQ(text, setting.text) << "a path too long to read is reset";
    }
  }

  platform::write_string_value(config.get(), "TurnUPSOffWait", "300");
  EXPECT_EQ(setup_(kWriteDefaults, 0), 0);
  std::uint32_t wait = 0;
  EXPECT_TRUE(platform::read_dword_value(config.get(), "TurnUPSOffWait", wait)) << "a DWORD again";
  EXPECT_EQ(wait, 180u);
}

TEST_F(SetupExport, DialogIsNotShownWithoutAConfigKeyToSaveInto) {
  delete_subkey("Config");
  EXPECT_EQ(setup_(kRunSetupDialog, 0), 0);
}

}  // namespace
}  // namespace installation
