#include "tools/upssim/control_tail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/upssim/unique_fd.h"

namespace upssim {

bool ControlTail::open(const std::string& path, std::string* error) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0) {
    *error = "control file " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  offset_ = info.st_size;
  inode_ = info.st_ino;
  return true;
}

std::vector<std::string> ControlTail::poll() {
  struct stat info {};
  if (path_.empty() || ::stat(path_.c_str(), &info) != 0) {
    return {};
  }
  if (info.st_ino != inode_ || info.st_size < offset_) {
    inode_ = info.st_ino;
    offset_ = 0;
    lines_.clear();
  }
  if (info.st_size == offset_) {
    return {};
  }
  UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  std::string bytes(static_cast<std::size_t>(info.st_size - offset_), '\0');
  ssize_t got = fd ? ::pread(fd.get(), bytes.data(), bytes.size(), offset_) : -1;
  if (got <= 0) {
    return {};
  }
  offset_ += got;
  bytes.resize(static_cast<std::size_t>(got));
  return lines_.feed(bytes);
}

}  // namespace upssim
