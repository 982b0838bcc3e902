#include "stats/stat_files_native.h"
#include "stats/system_stat_env.h"

namespace stats {

StatFiles& system_stat_files() {
  static NativeStatFiles files;
  return files;
}

std::optional<StatConfig> load_system_stat_config() { return std::nullopt; }

}  // namespace stats
