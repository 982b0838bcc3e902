// ControlTail: follows the append-only control file, as `tail -f` would. It is a plain file, not a
// FIFO, because the Windows test programs that drive the simulator append to it under Wine.
//
// Reading starts at the end of what the file holds when it is opened (older lines belong to an
// earlier run); a missing file is created empty. A file that shrinks or is replaced by another is
// read again from its start. Lines end in LF; a CR before it is dropped. Linux only.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tools/upssim/line_buffer.h"

namespace upssim {

class ControlTail {
 public:
  bool open(const std::string& path, std::string* error);

  // The lines completed since the last call.
  std::vector<std::string> poll();

 private:
  std::string path_;
  off_t offset_ = 0;
  ino_t inode_ = 0;
  LineBuffer lines_{'\n', 4096};
};

}  // namespace upssim
