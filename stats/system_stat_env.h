// What the recorder and the readers of a running program work on: the build's file layer and the
// service's Config key. On Windows these are the Win32 files and the registry; natively there is
// no registry, so the configuration never loads and nothing is recorded.
#pragma once

#include <optional>

#include "stats/stat_config.h"
#include "stats/stat_files.h"

namespace stats {

StatFiles& system_stat_files();
std::optional<StatConfig> load_system_stat_config();

}  // namespace stats
