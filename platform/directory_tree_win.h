// Removes a directory with everything in it (generated archives of tests and benchmarks). A file
// that cannot go (held open) stays with its directories; everything else goes.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

inline bool remove_directory_tree(const std::string& path) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string inner = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_directory_tree(inner);
      else
        DeleteFileA(inner.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryA(path.c_str()) != 0;
}

}  // namespace platform
