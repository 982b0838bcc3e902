// The statistics values read from a registry key of the local machine (the service's Config key
// in the product, a scratch key in tests). The key is opened with read and write access, like
// every key of the system.
#pragma once

#include <optional>

#include "platform/registry_win.h"
#include "stats/stat_config.h"

namespace stats {

std::optional<StatConfig> load_stat_config_from_registry(const char* key_path = platform::kConfigKeyPath);

}  // namespace stats
