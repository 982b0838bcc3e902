#include "setup/setup_registry_win.h"

#include "platform/debug_trace.h"
#include "platform/handles_win.h"
#include "platform/registry_rules.h"

namespace installation {
namespace {

// Key names are at most 255 characters; model names are taken up to 256.
constexpr DWORD kVendorNameChars = 256;
constexpr DWORD kModelNameChars = 257;

bool text_usable(DWORD type, const std::wstring& buffer, DWORD bytes) {
  if (type != platform::kRegString && type != platform::kRegExpandString) return false;
  if (bytes % sizeof(wchar_t) != 0) return false;
  return bytes == 0 || buffer[bytes / sizeof(wchar_t) - 1] == L'\0';
}

std::vector<std::wstring> read_value_names(HKEY vendor_key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kModelNameChars];
    DWORD length = kModelNameChars;
    LONG rc = RegEnumValueW(vendor_key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    // The key's default value has no name; it is no model.
    if (length > 0) names.emplace_back(name, length);
  }
  return names;
}

VendorModels read_vendor(HKEY providers, const wchar_t* vendor) {
  VendorModels entry{vendor, {}};
  platform::UniqueKey key;
  if (RegOpenKeyExW(providers, vendor, 0, KEY_READ, key.receive()) == ERROR_SUCCESS)
    entry.models = read_value_names(key.get());
  else
    debug_trace("setup dialog: vendor key %ls cannot be opened", vendor);
  return entry;
}

}  // namespace

std::optional<std::wstring> read_text_value(HKEY key, const wchar_t* name, std::size_t max_bytes) {
  std::wstring buffer(max_bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(max_bytes);
  LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (rc != ERROR_SUCCESS || bytes > max_bytes || !text_usable(type, buffer, bytes)) return std::nullopt;
  buffer.resize(bytes / sizeof(wchar_t));
  if (!buffer.empty()) buffer.pop_back();
  return buffer;
}

bool write_text_value(HKEY key, const wchar_t* name, const std::wstring& text) {
  DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

std::vector<VendorModels> read_service_providers(HKEY service_key) {
  std::vector<VendorModels> tree;
  platform::UniqueKey providers;
  if (RegOpenKeyExW(service_key, L"ServiceProviders", 0, KEY_READ, providers.receive()) != ERROR_SUCCESS) {
    debug_trace("setup dialog: no ServiceProviders key; only switching off is offered");
    return tree;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t vendor[kVendorNameChars];
    DWORD length = kVendorNameChars;
    if (RegEnumKeyExW(providers.get(), index, vendor, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    tree.push_back(read_vendor(providers.get(), vendor));
  }
  return tree;
}

}  // namespace installation
