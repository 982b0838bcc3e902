// The files the simulator writes beside the serial line, and the one it reads whole. Linux only.
//   RecordFile  every byte the host sent, raw, appended as it arrives (tests compare it exactly)
//   LogFile     human-readable lines, each with the wall-clock time and the seconds since start
//   StateFile   one line, replaced atomically (temporary file, then rename) whenever it changes
// An empty path means the file is not wanted: every call is then a no-op that succeeds.
#pragma once

#include <string>
#include <string_view>

#include "tools/upssim/unique_fd.h"

namespace upssim {

bool read_whole_file(const std::string& path, std::string* text, std::string* error);

class RecordFile {
 public:
  bool open(const std::string& path, std::string* error);
  void append(std::string_view bytes);

 private:
  UniqueFd fd_;
};

class LogFile {
 public:
  bool open(const std::string& path, std::string* error);
  void line(const std::string& text, double elapsed_s);

 private:
  UniqueFd fd_;
};

class StateFile {
 public:
  explicit StateFile(std::string path) : path_(std::move(path)) {}
  void update(const std::string& text);

 private:
  std::string path_;
  std::string written_;
};

}  // namespace upssim
