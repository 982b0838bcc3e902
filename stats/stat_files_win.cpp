#include "stats/stat_files_win.h"

#include <windows.h>

#include <algorithm>

#include "platform/handles_win.h"
#include "platform/link_safe_files_win.h"
#include "platform/object_access_win.h"
#include "platform/security_win.h"

namespace stats {
namespace {

class Win32StatFile final : public StatFile {
 public:
  explicit Win32StatFile(platform::UniqueHandle file) : file_(std::move(file)) {}

  bool size(std::uint64_t& bytes) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size)) return false;
    bytes = static_cast<std::uint64_t>(size.QuadPart);
    return true;
  }
  bool seek(std::uint64_t offset) override {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) != FALSE;
  }
  bool write(const void* data, std::size_t size) override {
    DWORD written = 0;
    return WriteFile(file_.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  }
  bool flush_to_disk() override { return FlushFileBuffers(file_.get()) != FALSE; }

 private:
  platform::UniqueHandle file_;
};

}  // namespace

bool Win32StatFiles::directory_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32StatFiles::create_directory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32StatFiles::create_root_directory(const std::string& path) {
  platform::ObjectSecurity security(platform::SystemObject::archive_root);
  return CreateDirectoryA(path.c_str(), security.attributes()) != FALSE;
}

RootAccess Win32StatFiles::secure_root(const std::string& root) {
  using platform::ObjectTrust;
  using platform::SystemObject;
  if (!directory_exists(root)) return RootAccess::kMissing;
  auto is_private = [&] {
    return platform::judge_access(platform::read_path_access(root), SystemObject::archive_root) == ObjectTrust::trusted;
  };
  if (is_private()) return RootAccess::kPrivate;
  if (platform::apply_system_access(root, SystemObject::archive_root) == ERROR_SUCCESS && is_private())
    return RootAccess::kReset;
  return RootAccess::kRefused;
}

bool Win32StatFiles::is_link(const std::string& path) { return platform::is_link(path.c_str()); }

std::unique_ptr<StatFile> Win32StatFiles::open_for_writing(const std::string& root, const std::string& path,
                                                           OpenMode mode) {
  if (path.compare(0, root.size(), root) != 0) return nullptr;
  platform::UniqueHandle file =
      platform::create_file_below(root, path.substr(root.size()), GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  // Emptied only once it is known to be the archive's own file.
  if (!file || (mode == OpenMode::kCreateOrTruncate && !SetEndOfFile(file.get()))) return nullptr;
  return std::make_unique<Win32StatFile>(std::move(file));
}

bool Win32StatFiles::read_file(const std::string& path, std::size_t limit, std::string& bytes) {
  const platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.clear();
  char chunk[65536];
  while (bytes.size() < limit) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, wanted, &got, nullptr)) return false;
    bytes.append(chunk, got);
    if (got == 0) break;
  }
  return true;
}

}  // namespace stats
