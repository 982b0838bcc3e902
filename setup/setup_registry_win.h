// The registry as the setup dialog reads and writes it: texts through the wide functions, so that
// what the dialog shows and stores does not depend on the system's ANSI code page; and the vendor
// and model lists under "ServiceProviders".
//
// Stateless; any thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "setup/ups_choice.h"

namespace installation {

// A string value whose data, terminator included, fits into `max_bytes` (the rules of
// platform/registry_rules.h, for UTF-16 data); nothing when absent or unusable.
std::optional<std::wstring> read_text_value(HKEY key, const wchar_t* name, std::size_t max_bytes);

bool write_text_value(HKEY key, const wchar_t* name, const std::wstring& text);

// Every vendor subkey of the service key's "ServiceProviders" with its value names as models,
// in enumeration order; empty when the key is missing. Names too long for the tree are left out.
std::vector<VendorModels> read_service_providers(HKEY service_key);

}  // namespace installation
