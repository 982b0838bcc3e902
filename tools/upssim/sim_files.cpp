#include "tools/upssim/sim_files.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace upssim {
namespace {

UniqueFd open_append(const std::string& path, std::string* error) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  if (!fd) {
    *error = path + ": " + std::strerror(errno);
  }
  return fd;
}

void write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string wall_clock() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<long>(now.tv_usec / 1000));
  return text;
}

}  // namespace

bool read_whole_file(const std::string& path, std::string* text, std::string* error) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  char chunk[4096];
  ssize_t n;
  while ((n = ::read(fd.get(), chunk, sizeof chunk)) > 0) {
    text->append(chunk, static_cast<std::size_t>(n));
  }
  if (n < 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool RecordFile::open(const std::string& path, std::string* error) {
  if (path.empty()) {
    return true;
  }
  fd_ = open_append(path, error);
  return static_cast<bool>(fd_);
}

void RecordFile::append(std::string_view bytes) {
  if (fd_) {
    write_all(fd_.get(), bytes);
  }
}

bool LogFile::open(const std::string& path, std::string* error) {
  if (path.empty()) {
    return true;
  }
  fd_ = open_append(path, error);
  return static_cast<bool>(fd_);
}

void LogFile::line(const std::string& text, double elapsed_s) {
  if (!fd_) {
    return;
  }
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%s [%9.3f] ", wall_clock().c_str(), elapsed_s);
  write_all(fd_.get(), stamp + text + "\n");
}

void StateFile::update(const std::string& text) {
  if (path_.empty() || text == written_) {
    return;
  }
  std::string temporary = path_ + ".tmp";
  UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd) {
    return;
  }
  write_all(fd.get(), text + "\n");
  fd.reset();
  if (::rename(temporary.c_str(), path_.c_str()) == 0) {
    written_ = text;
  }
}

}  // namespace upssim
