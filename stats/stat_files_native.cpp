#include "stats/stat_files_native.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace stats {
namespace {

std::string host_path(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

class NativeStatFile final : public StatFile {
 public:
  explicit NativeStatFile(UniqueFile file) : file_(std::move(file)) {}

  bool size(std::uint64_t& bytes) override {
    const off_t here = ftello(file_.get());
    if (here < 0 || fseeko(file_.get(), 0, SEEK_END) != 0) return false;
    const off_t end = ftello(file_.get());
    if (fseeko(file_.get(), here, SEEK_SET) != 0 || end < 0) return false;
    bytes = static_cast<std::uint64_t>(end);
    return true;
  }
  bool seek(std::uint64_t offset) override { return fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0; }
  bool write(const void* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file_.get()) == size;
  }
  bool flush_to_disk() override { return std::fflush(file_.get()) == 0; }

 private:
  UniqueFile file_;
};

}  // namespace

bool NativeStatFiles::directory_exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(host_path(path), error);
}

bool NativeStatFiles::create_directory(const std::string& path) {
  std::error_code error;
  return std::filesystem::create_directory(host_path(path), error);
}

bool NativeStatFiles::is_link(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_symlink(host_path(path), error);
}

std::unique_ptr<StatFile> NativeStatFiles::open_for_writing(const std::string&, const std::string& path, OpenMode mode) {
  const std::string host = host_path(path);
  UniqueFile file;
  if (mode == OpenMode::kOpenOrCreate) file.reset(std::fopen(host.c_str(), "r+b"));
  if (!file) file.reset(std::fopen(host.c_str(), "w+b"));
  if (!file) return nullptr;
  return std::make_unique<NativeStatFile>(std::move(file));
}

bool NativeStatFiles::read_file(const std::string& path, std::size_t limit, std::string& bytes) {
  const UniqueFile file(std::fopen(host_path(path).c_str(), "rb"));
  if (!file) return false;
  bytes.clear();
  char chunk[65536];
  while (bytes.size() < limit) {
    const std::size_t wanted = std::min(sizeof chunk, limit - bytes.size());
    const std::size_t got = std::fread(chunk, 1, wanted, file.get());
    bytes.append(chunk, got);
    if (got < wanted) return !std::ferror(file.get());
  }
  return true;
}

}  // namespace stats
