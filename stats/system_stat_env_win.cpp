#include "stats/stat_config_win.h"
#include "stats/stat_files_win.h"
#include "stats/system_stat_env.h"

namespace stats {

StatFiles& system_stat_files() {
  static Win32StatFiles files;
  return files;
}

std::optional<StatConfig> load_system_stat_config() { return load_stat_config_from_registry(); }

}  // namespace stats
