// PtyLink: the pseudo-terminal that stands in for the UPS's serial port, and the symlink through
// which clients (Wine's COM1) open it. Linux only.
//
// The slave is put in raw mode (no echo, no line editing, no CR/LF translation), and one slave
// descriptor stays open here for the link's whole life: without it the master reads EIO, and poll
// reports a hang-up without end, whenever no client has the port open.
// The link is replaced atomically (a fresh symlink renamed over it), so a client never finds the
// path missing; at the end it is removed only if it still points to this pty.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "tools/upssim/unique_fd.h"

namespace upssim {

class PtyLink {
 public:
  PtyLink() = default;
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  bool open(const std::string& link_path, std::string* error);

  int master() const { return master_.get(); }
  const std::string& slave_path() const { return slave_path_; }

  // Writes what the line takes now: the count written, 0 when the buffer is full, -1 on failure.
  ssize_t write_some(std::string_view bytes);

 private:
  bool open_pair(std::string* error);
  bool link(const std::string& link_path, std::string* error);

  UniqueFd master_;
  UniqueFd slave_;
  std::string slave_path_;
  std::string link_path_;
};

}  // namespace upssim
