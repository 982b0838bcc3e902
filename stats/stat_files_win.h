// StatFiles over the Win32 file API: the archive as the service and the statistics window use it.
#pragma once

#include "stats/stat_files.h"

namespace stats {

class Win32StatFiles final : public StatFiles {
 public:
  bool directory_exists(const std::string& path) override;
  bool create_directory(const std::string& path) override;
  bool create_root_directory(const std::string& path) override;
  RootAccess secure_root(const std::string& root) override;
  bool is_link(const std::string& path) override;
  std::unique_ptr<StatFile> open_for_writing(const std::string& root, const std::string& path, OpenMode mode) override;
  bool read_file(const std::string& path, std::size_t limit, std::string& bytes) override;
};

}  // namespace stats
