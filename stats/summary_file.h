// Reading and writing one StatSummary file: a day file or a month, year or all-time summary.
#pragma once

#include <string>

#include "stats/stat_files.h"
#include "stats/stat_summary.h"

namespace stats {

// False when the file cannot be opened or is shorter than one record (torn or foreign); then
// `summary` is left alone. Bytes past the first record are ignored.
bool read_summary_file(StatFiles& files, const std::string& path, StatSummary& summary);

// Writes the 60 bytes at the start of `file`.
bool write_summary(StatFile& file, const StatSummary& summary);

}  // namespace stats
