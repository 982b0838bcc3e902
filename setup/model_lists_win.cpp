#include "setup/model_lists_win.h"

#include <windows.h>

#include <string>

#include "platform/debug_trace.h"
#include "platform/module_win.h"
#include "platform/registry_win.h"
#include "setup/install_registry_win.h"
#include "setup/model_table.h"
#include "setup/setup_registry_win.h"

namespace installation {
namespace {

constexpr char kProvidersKeyName[] = "ServiceProviders";
constexpr char kDatabaseKeyName[] = "db";
constexpr DWORD kLongestPathChars = 32768;

// The library's full path, however long, in UTF-16 so that any folder name survives.
std::wstring library_path() {
  const auto module = platform::this_module();
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= kLongestPathChars) return {};
    path.resize(path.size() * 2);  // cut short: try again with more room
  }
}

void list_model(HKEY providers, const char* vendor, const char* model, const std::wstring& provider) {
  platform::UniqueKey vendor_key = create_key(providers, vendor);
  if (vendor_key && !write_text_value(vendor_key.get(), to_utf16(model).c_str(), provider))
    debug_trace("UPS::setup %s\\%s not written\n", vendor, model);
}

void write_service_providers(HKEY service, const std::wstring& provider) {
  platform::UniqueKey providers = create_key(service, kProvidersKeyName);
  if (!providers) return;
  for (const ModelTable& table : model_tables())
    for (const ModelRow& row : table.rows) list_model(providers.get(), row.vendor, row.model, provider);
  for (const char* vendor : kVendors) list_model(providers.get(), vendor, kOtherModel, provider);
}

void write_model_database(HKEY service) {
  bool created = false;
  platform::UniqueKey database = create_key(service, kDatabaseKeyName, &created);
  if (!database) return;
  if (!created) {
    debug_trace("UPS::setup db was not replaced; left as it is\n");
    return;
  }
  for (const ModelTable& table : model_tables()) {
    for (const ModelRow& row : table.rows) {
      const std::string entry = database_entry(row, table.loads_va);
      if (RegSetValueExA(database.get(), row.model, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(entry.data()),
                         static_cast<DWORD>(entry.size())) != ERROR_SUCCESS)
        debug_trace("UPS::setup db\\%s not written\n", row.model);
    }
  }
}

}  // namespace

void write_model_lists() {
  const std::wstring provider = L"0x0f;" + library_path();
  platform::UniqueKey service = platform::open_key(platform::kServiceKeyPath);
  if (!service) {
    debug_trace("UPS::setup service key not found; model lists not written\n");
    return;
  }
  delete_key_tree(service.get(), kDatabaseKeyName);
  write_service_providers(service.get(), provider);
  write_model_database(service.get());
}

}  // namespace installation
