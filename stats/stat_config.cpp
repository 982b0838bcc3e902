#include "stats/stat_config.h"

namespace stats {
namespace {

std::uint32_t dword_or(core::ConfigStore& store, const char* name, std::uint32_t fallback) {
  std::uint32_t value = 0;
  return store.read_dword(name, value) ? value : fallback;
}

std::string path_or_empty(core::ConfigStore& store) {
  char buffer[kStatPathBufferSize];
  return store.read_string(config_value::kStatPath, buffer, sizeof buffer) ? buffer : "";
}

}  // namespace

StatConfig read_stat_config(core::ConfigStore& store) {
  StatConfig config;
  config.path = path_or_empty(store);
  config.on = dword_or(store, config_value::kStatOn, 0) != 0 && !config.path.empty();
  config.raw = dword_or(store, config_value::kStatData, 0) != 0;
  const auto rate = static_cast<std::int32_t>(dword_or(store, config_value::kStatRate, 1));
  config.rate = rate < 1 ? 1u : static_cast<std::uint32_t>(rate);
  config.flush_force = dword_or(store, config_value::kStatFlushForce, 0) != 0;
  return config;
}

}  // namespace stats
