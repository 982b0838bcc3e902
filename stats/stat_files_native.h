// StatFiles over stdio and std::filesystem, for the native build (tests on real files, benchmarks).
// Archive paths use backslashes; they are turned into slashes here. flush_to_disk hands the data
// to the operating system only, which is all a native run needs.
#pragma once

#include "stats/stat_files.h"

namespace stats {

class NativeStatFiles final : public StatFiles {
 public:
  bool directory_exists(const std::string& path) override;
  bool create_directory(const std::string& path) override;
  bool is_link(const std::string& path) override;
  std::unique_ptr<StatFile> open_for_writing(const std::string& root, const std::string& path, OpenMode mode) override;
  bool read_file(const std::string& path, std::size_t limit, std::string& bytes) override;
};

}  // namespace stats
