#include "tools/upssim/pty_link.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace upssim {
namespace {

std::string failed(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyLink::~PtyLink() {
  if (link_path_.empty()) {
    return;
  }
  char target[PATH_MAX];
  ssize_t length = ::readlink(link_path_.c_str(), target, sizeof target - 1);
  if (length >= 0 && std::string(target, static_cast<std::size_t>(length)) == slave_path_) {
    ::unlink(link_path_.c_str());
  }
}

bool PtyLink::open(const std::string& link_path, std::string* error) {
  return open_pair(error) && link(link_path, error);
}

bool PtyLink::open_pair(std::string* error) {
  master_.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!master_) {
    *error = failed("posix_openpt");
    return false;
  }
  if (::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0) {
    *error = failed("grantpt/unlockpt");
    return false;
  }
  const char* name = ::ptsname(master_.get());
  if (!name) {
    *error = failed("ptsname");
    return false;
  }
  slave_path_ = name;
  slave_.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios tio{};
  if (!slave_ || ::tcgetattr(slave_.get(), &tio) != 0) {
    *error = failed(slave_path_.c_str());
    return false;
  }
  ::cfmakeraw(&tio);
  if (::tcsetattr(slave_.get(), TCSANOW, &tio) != 0) {
    *error = failed("tcsetattr");
    return false;
  }
  return true;
}

bool PtyLink::link(const std::string& link_path, std::string* error) {
  std::string temporary = link_path + ".upssim-" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(slave_path_.c_str(), temporary.c_str()) != 0) {
    *error = failed(("symlink " + temporary).c_str());
    return false;
  }
  if (::rename(temporary.c_str(), link_path.c_str()) != 0) {
    *error = failed(("rename to " + link_path).c_str());
    ::unlink(temporary.c_str());
    return false;
  }
  link_path_ = link_path;
  return true;
}

ssize_t PtyLink::write_some(std::string_view bytes) {
  ssize_t written = ::write(master_.get(), bytes.data(), bytes.size());
  if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
    return 0;
  }
  return written;
}

}  // namespace upssim
