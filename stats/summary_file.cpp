#include "stats/summary_file.h"

#include <cstring>

namespace stats {

bool read_summary_file(StatFiles& files, const std::string& path, StatSummary& summary) {
  std::string bytes;
  if (!files.read_file(path, sizeof summary, bytes) || bytes.size() != sizeof summary) return false;
  std::memcpy(&summary, bytes.data(), sizeof summary);
  return true;
}

bool write_summary(StatFile& file, const StatSummary& summary) {
  return file.seek(0) && file.write(&summary, sizeof summary);
}

}  // namespace stats
