// ConfigStore: the named values the settings loader reads and repairs.
//
// The service keeps its settings in the registry's Config key; this seam lets the loader run
// against that key on Windows and against an in-memory map in tests. Implementations decide
// what "malformed" means for their medium, within these rules:
//   read_dword  fails when the value is absent or is not a 4-byte DWORD;
//   read_string fails when the value is absent, is not a string, lacks its terminator or does
//               not fit `buffer_size` bytes including the terminator;
//   delete_value succeeds when the value is gone afterwards, also when there was none.
// A failed read leaves the output unspecified. Not thread-safe: one loader uses it at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace core {

class ConfigStore {
 public:
  virtual ~ConfigStore() = default;

  virtual bool read_dword(const char* name, std::uint32_t& value) = 0;
  virtual bool read_string(const char* name, char* buffer, std::size_t buffer_size) = 0;
  virtual bool write_dword(const char* name, std::uint32_t value) = 0;
  virtual bool write_string(const char* name, const char* value) = 0;
  virtual bool delete_value(const char* name) = 0;
};

}  // namespace core
