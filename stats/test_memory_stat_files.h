// Test helper: an archive in memory that behaves like a disk for the recorder and the readers.
// A file or directory can only be created inside an existing directory; writes can be refused
// per path; every write is counted.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "stats/stat_files.h"

namespace stats {

class MemoryStatFiles final : public StatFiles {
 public:
  void add_directory(const std::string& path) { directories_.insert(path); }
  void put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  void remove(const std::string& path) { files_.erase(path); }
  void refuse_writes_to(const std::string& path) { refused_.insert(path); }
  // A link planted by another user: it exists as a directory, and whatever is written through it
  // lands outside the archive.
  void plant_link(const std::string& path) {
    directories_.insert(path);
    links_.insert(path);
  }

  // What secure_root reports of an existing root (by default: private).
  void set_root_access(const std::string& path, RootAccess access) { root_access_[path] = access; }

  bool has(const std::string& path) const { return files_.count(path) != 0; }
  std::string contents(const std::string& path) const {
    const auto it = files_.find(path);
    return it == files_.end() ? std::string() : it->second;
  }
  int writes_to(const std::string& path) const {
    const auto it = writes_.find(path);
    return it == writes_.end() ? 0 : it->second;
  }

  bool directory_exists(const std::string& path) override { return directories_.count(path) != 0; }
  bool is_link(const std::string& path) override { return links_.count(path) != 0; }
  RootAccess secure_root(const std::string& root) override {
    if (!directory_exists(root)) return RootAccess::kMissing;
    const auto it = root_access_.find(root);
    return it == root_access_.end() ? RootAccess::kPrivate : it->second;
  }
  bool create_directory(const std::string& path) override {
    if (!parent_exists(path) || refused_.count(path)) return false;
    return directories_.insert(path).second;
  }
  std::unique_ptr<StatFile> open_for_writing(const std::string&, const std::string& path, OpenMode mode) override {
    if (!parent_exists(path) || refused_.count(path) || directories_.count(path)) return nullptr;
    std::string& bytes = files_[path];
    if (mode == OpenMode::kCreateOrTruncate) bytes.clear();
    return std::make_unique<File>(bytes, writes_[path]);
  }
  bool read_file(const std::string& path, std::size_t limit, std::string& bytes) override {
    const auto it = files_.find(path);
    if (it == files_.end()) return false;
    bytes = it->second.substr(0, limit);
    return true;
  }

 private:
  class File final : public StatFile {
   public:
    File(std::string& bytes, int& writes) : bytes_(bytes), writes_(writes) {}
    bool size(std::uint64_t& bytes) override {
      bytes = bytes_.size();
      return true;
    }
    bool seek(std::uint64_t offset) override {
      position_ = static_cast<std::size_t>(offset);
      return true;
    }
    bool write(const void* data, std::size_t size) override {
      if (bytes_.size() < position_ + size) bytes_.resize(position_ + size);
      std::memcpy(bytes_.data() + position_, data, size);
      position_ += size;
      ++writes_;
      return true;
    }
    bool flush_to_disk() override { return true; }

   private:
    std::string& bytes_;
    int& writes_;
    std::size_t position_ = 0;
  };

  bool parent_exists(const std::string& path) const {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos || directories_.count(path.substr(0, slash)) != 0;
  }

  std::set<std::string> directories_;
  std::map<std::string, std::string> files_;
  std::map<std::string, int> writes_;
  std::set<std::string> refused_;
  std::set<std::string> links_;
  std::map<std::string, RootAccess> root_access_;
};

}  // namespace stats
