#include "stats/stat_config_win.h"

#include "core/registry_config_store_win.h"

namespace stats {

std::optional<StatConfig> load_stat_config_from_registry(const char* key_path) {
  const platform::UniqueKey key = platform::open_key(key_path);
  if (!key) return std::nullopt;
  core::RegistryConfigStore store(key.get());
  return read_stat_config(store);
}

}  // namespace stats
