// StatFiles: the few file operations the statistics archive needs, behind one small interface so
// that the recorder and the readers run over the Win32 file API in the product (stat_files_win.h),
// over stdio natively (stat_files_native.h) and over memory in tests.
//
// Paths are archive paths (archive_paths.h). Files opened for writing are shared for reading by
// other processes; files read are shared for reading and writing, because the recorder keeps its
// files open while the statistics window reads them. Implementations are used by one thread at a
// time (the recorder under its lock, the readers on the GUI thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace stats {

// An archive file open for writing; closed when destroyed.
class StatFile {
 public:
  virtual ~StatFile() = default;
  virtual bool size(std::uint64_t& bytes) = 0;
  virtual bool seek(std::uint64_t offset) = 0;
  // All of `data` at the current position, in one write.
  virtual bool write(const void* data, std::size_t size) = 0;
  virtual bool flush_to_disk() = 0;
};

// An existing archive root as the recorder found it before its first write there.
enum class RootAccess {
  kMissing,  // not there
  kPrivate,  // only the service and the administrators may change it
  kReset,    // others could change it: its owner and access list are now the archive's own
  kRefused,  // others can change it, and it could not be reset
};

enum class OpenMode {
  kOpenOrCreate,      // keeps what the file holds; positioned at its start
  kCreateOrTruncate,  // starts the file empty
};

class StatFiles {
 public:
  virtual ~StatFiles() = default;
  virtual bool directory_exists(const std::string& path) = 0;
  // Creates this one directory; its parent must exist.
  virtual bool create_directory(const std::string& path) = 0;
  // Creates the archive's root (its parent must exist) with the archive's access rules: users may
  // read, only the service writes.
  virtual bool create_root_directory(const std::string& path) { return create_directory(path); }
  // Where others may change the root, they could swap its folders and files for links between the
  // recorder's checks and its writes: an existing root is made private when it is not.
  virtual RootAccess secure_root(const std::string& root) {
    return directory_exists(root) ? RootAccess::kPrivate : RootAccess::kMissing;
  }
  // True when `path` is a link (a junction or a symbolic link), which the recorder never writes
  // through: another user may have planted it to point outside the archive.
  virtual bool is_link(const std::string& path) = 0;
  // Opens `path`, a file below the archive's `root`. Null when it cannot be opened or created, or
  // when what would be written is not the file that root and path name: another user may have
  // planted a link on the way or given the file a second name.
  virtual std::unique_ptr<StatFile> open_for_writing(const std::string& root, const std::string& path,
                                                     OpenMode mode) = 0;
  // Up to `limit` bytes from the start of the file; false when it cannot be opened or read.
  virtual bool read_file(const std::string& path, std::size_t limit, std::string& bytes) = 0;
};

}  // namespace stats
